// SPDX-License-Identifier: GPL-3.0-or-later
// A drop-down list whose box is narrower than its longer items: the box
// shows the current item shortened with "...", the open list every item whole.
#pragma once

#include <QComboBox>

namespace pellavan {

class ElidedComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    // What the box shows of the current item.
    QString ShownText() const;
    void showPopup() override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace pellavan
