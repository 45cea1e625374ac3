#pragma once

#include <QTemporaryDir>

#include <cstdlib>

// The folders a client reads its settings from and writes its task log to, empty and private to
// the fuzzing process: a reply never finds a record to update, and nothing lands in the user's
// folders.
class FuzzEnvironment
{
public:
    FuzzEnvironment()
    {
        const QByteArray root = m_root.path().toUtf8();
        setenv("QOV_APP_DIR", root.constData(), 1);
        setenv("QOV_CONFIG_DIR", root.constData(), 1);
        setenv("QOV_WORK_DIR", root.constData(), 1);
    }

private:
    QTemporaryDir m_root;
};
