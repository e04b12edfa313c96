// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes and modal dialogs behind one seam, so tests answer them
// instead of a user.
#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace pellavan {

// Results of the standard question box.
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Standard box captioned "Warning" with a warning icon, "&Yes" (default)
    // and "&No" (also Escape); kAnswerYes, kAnswerNo or another value when
    // dismissed otherwise.
    virtual int WarningQuestion(QWidget *owner, const QString &text) = 0;
    // The skinned box for the program's own messages.
    virtual void Message(QWidget *owner, const QString &text) = 0;
    // Standard error box captioned with the application title; `text` is
    // shown as given (see ShowErrorBox).
    virtual void ErrorBox(QWidget *owner, const QString &text) = 0;
    // Shows a dialog modally; its result.
    virtual int ShowModal(QDialog *dialog) = 0;
    // A folder chosen in the standard folder dialog captioned `title`;
    // empty when cancelled, as it is for a stand-in that does not choose.
    virtual QString ChooseFolder(QWidget *owner, const QString &title)
    {
        (void)owner;
        (void)title;
        return {};
    }
    // Open DVD Folder's choice: a folder, or a disc image file. A stand-in
    // answers as for any folder.
    virtual QString ChooseDiscSource(QWidget *owner, const QString &title) { return ChooseFolder(owner, title); }
    // The output folder's chooser, opened at `start`. A stand-in answers as
    // for any folder.
    virtual QString ChooseOutputFolder(QWidget *owner, const QString &title, const QString &start)
    {
        (void)start;
        return ChooseFolder(owner, title);
    }
};

// Real message boxes.
UserPrompts &DesktopPrompts();

// The standard error box for an error raised by a handler: the "." rule
// applied to `text`.
void ShowErrorBox(UserPrompts &prompts, QWidget *owner, const QString &text);

} // namespace pellavan
