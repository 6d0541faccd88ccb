#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh copy of the built BaseDB.mdb in a temporary folder of its own. While it
// lives, BuildConnectionString points at the copy, so windows under test open it
// exactly as they open the real file.
class TestDb {
public:
    TestDb();
    ~TestDb();
    TestDb(const TestDb&) = delete;
    TestDb& operator=(const TestDb&) = delete;

    QString path() const;  // the copy's BaseDB.mdb
    QString dir() const;
    // Runs statements on the copy through a connection of its own (test set-up).
    void exec(const QString& sql) const;

    static QString builtDatabase();  // the BaseDB.mdb the build laid down

private:
    QTemporaryDir m_dir;
};
