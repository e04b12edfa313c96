#include "Skin.h"

namespace pellavan {

QString SkinStyleSheet()
{
    return QStringLiteral(
        "QWidget { background: #20242b; color: #e8e8e8; }"
        "QLineEdit, QComboBox, QSpinBox, QTreeView { background: #2c313a; border: 1px solid #4a5060; }"
        "QPushButton { background: #39404c; border: 1px solid #59606e; padding: 3px 10px; }"
        "QPushButton:hover { background: #46505e; }"
        "QPushButton:disabled, QLabel:disabled { color: #7a7f88; }"
        "QMenuBar, QMenu { background: #2a2f37; }"
        "QMenu::item:selected, QMenuBar::item:selected { background: #e06a1b; }"
        "QProgressBar { border: 1px solid #59606e; text-align: center; }"
        "QProgressBar::chunk { background: #e06a1b; }");
}

} // namespace pellavan
