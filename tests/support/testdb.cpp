#include "testdb.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

#include "connection.h"

TestDb::TestDb()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    if (!QFile::copy(builtDatabase(), path()))
        throw std::runtime_error("cannot copy " + builtDatabase().toStdString());
    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    overrideDatabaseDirectory(dir());
}

TestDb::~TestDb()
{
    overrideDatabaseDirectory(QString());
}

QString TestDb::path() const
{
    return m_dir.filePath("BaseDB.mdb");
}

QString TestDb::dir() const
{
    return m_dir.path();
}

void TestDb::exec(const QString& sql) const
{
    Connection c(path());
    c.exec(sql);
}

QString TestDb::builtDatabase()
{
    return QStringLiteral(CORVINTA_BASEDB_PATH);
}
