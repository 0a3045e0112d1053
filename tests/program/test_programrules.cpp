#include <QtTest>

class Placeholder : public QObject {
    Q_OBJECT
private slots:
    void nothingYet() {}
};

QTEST_MAIN(Placeholder)
#include "test_programrules.moc"
