// SPDX-License-Identifier: GPL-3.0-or-later
#include "Skin.h"

namespace pellavan {

QFont WindowFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(10);
    return font;
}

QString SkinStyleSheet()
{
    // A rule of the sheet decides a widget's font before its parent's does:
    // the main window's font is a rule too.
    const QFont font = WindowFont();
    const QString windowFont = QStringLiteral("#frmmain, #frmmain QWidget { font-family: \"%1\"; font-size: %2px; }")
                                   .arg(font.family())
                                   .arg(font.pixelSize());
    return windowFont + QStringLiteral(
        "QWidget { background: #20242b; color: #e8e8e8; }"
        "QLabel, QCheckBox { background: transparent; }"
        "QLineEdit, QComboBox, QSpinBox, QTreeView { background: #2c313a; border: 1px solid #4a5060; }"
        "QLineEdit:disabled, QComboBox:disabled, QTreeView:disabled { color: #7a7f88; background: #262a31; }"
        "QComboBox QAbstractItemView { background: #2c313a; selection-background-color: #e06a1b; }"
        "QPushButton { background: #39404c; border: 1px solid #59606e; padding: 3px 10px; }"
        "QPushButton:hover { background: #46505e; }"
        "QPushButton:pressed { background: #2c313a; }"
        "QPushButton:disabled, QLabel:disabled, QCheckBox:disabled, QToolButton:disabled { color: #7a7f88; }"
        "QToolButton { border: none; padding: 0; background: transparent; }"
        "QCheckBox::indicator { width: 11px; height: 11px; border: 1px solid #8a909c; background: #2c313a; }"
        "QCheckBox::indicator:checked { background: #e06a1b; border-color: #f0a070; }"
        "QCheckBox::indicator:disabled { border-color: #4a5060; }"
        "QToolButton:hover { background: #39404c; }"
        "QMenuBar, QMenu { background: #2a2f37; }"
        "QMenu::item:disabled { color: #7a7f88; }"
        "QMenu::separator { height: 1px; background: #4a5060; margin: 3px 6px; }"
        "QMenu::item:selected, QMenuBar::item:selected { background: #e06a1b; }"
        "QProgressBar { border: 1px solid #59606e; text-align: center; }"
        "QProgressBar::chunk { background: #e06a1b; }"
        "#spSkinToolBar1 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #343a44, stop:1 #252a31); }"
        "#spSkinPanel2 { border: 1px solid #4a5060; }"
        "#spSkinPanel3 { background: #262a31; }"
        "#imagepanel { background: #101215; }"
        "#spSkinStatusBar1 { background: #2a2f37; }"
        "#statusinfo, #convertinfo, #Timeinfo { border: 1px solid #4a5060; padding-left: 3px; }"
        "#noticestrip { background: #101215; border: 1px solid #e06a1b; padding: 1px 4px; }"
        "#noticetext { color: #f4f0d8; }"
        "QToolTip { background: #f4f0d8; color: #20242b; border: 1px solid #59606e; }");
}

QImage SkinPicture(const QString &name)
{
    return QImage(QStringLiteral(":/pictures/") + name + QStringLiteral(".png"));
}

} // namespace pellavan
