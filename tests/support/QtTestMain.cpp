// SPDX-License-Identifier: GPL-3.0-or-later
// main() for test programs that show widgets: one QApplication (offscreen,
// as the test environment sets) alive for the whole run and destroyed
// before the program's static objects.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests happens without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
