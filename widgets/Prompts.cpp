// SPDX-License-Identifier: GPL-3.0-or-later
#include "Prompts.h"

#include "DiscSourceDialog.h"

#include "ErrorText.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace pellavan {

namespace {
class MessageBoxPrompts final : public UserPrompts {
public:
    int WarningQuestion(QWidget *owner, const QString &text) override
    {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::NoButton, owner);
        QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        if (box.clickedButton() == yes)
            return kAnswerYes;
        if (box.clickedButton() == no)
            return kAnswerNo;
        return 0;
    }
    void Message(QWidget *owner, const QString &text) override
    {
        QMessageBox box(QMessageBox::Information, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok,
                        owner);
        box.exec();
    }
    void ErrorBox(QWidget *owner, const QString &text) override
    {
        // A carriage return breaks the line in the box, as the texts expect.
        QString shown = text;
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), shown, QMessageBox::Ok,
                        owner);
        box.exec();
    }
    int ShowModal(QDialog *dialog) override { return dialog ? dialog->exec() : 0; }
    QString ChooseFolder(QWidget *owner, const QString &title) override
    {
        return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
    }
    QString ChooseDiscSource(QWidget *owner, const QString &title) override
    {
        return pellavan::ChooseDiscSource(owner, title);
    }
    QString ChooseOutputFolder(QWidget *owner, const QString &title, const QString &start) override
    {
        return QFileDialog::getExistingDirectory(owner, title, start);
    }
};
} // namespace

UserPrompts &DesktopPrompts()
{
    static MessageBoxPrompts prompts;
    return prompts;
}

void ShowErrorBox(UserPrompts &prompts, QWidget *owner, const QString &text)
{
    prompts.ErrorBox(owner, QString::fromStdString(ErrorBoxText(text.toStdString())));
}

} // namespace pellavan
