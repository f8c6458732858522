#pragma once
// main() for a Qt Test executable: the program's application object, its title and
// fonts, headless unless told otherwise.
#include "Application.h"

#include <QTest>

#define TAVI_TEST_MAIN(TestClass)                                                                                      \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                            \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                                   \
        TApplication app(argc, argv);                                                                                  \
        Application::SetTitle(QStringLiteral("Tavi"));                                                                 \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
