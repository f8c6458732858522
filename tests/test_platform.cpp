#include "TestMain.h"

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

TAVI_TEST_MAIN(TestPlatform)
#include "test_platform.moc"
