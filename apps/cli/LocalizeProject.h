#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// The folder a localisation keeps beside its video (NAME.LANG.qovaigc/): each step's result and a
// manifest of what each result was made from, by content hash. A step whose inputs hash as they
// did when its result was recorded, and whose result is still there, is not done again; so a run
// killed at any moment loses at most the step it was in, and a result the user edited in place
// (the translated captions) is kept, since its own inputs did not change. The manifest is
// written whole or not at all after each step.
class LocalizeProject
{
public:
    // The folder for video and the target language; nothing is made yet.
    LocalizeProject(const QString& video, const QString& language);

    // Makes the folder and reads its manifest; fresh forgets every step recorded. False with error
    // when the folder cannot be made or its manifest is damaged beyond reading (it is then set
    // aside, not deleted, and the run starts afresh).
    bool Open(bool fresh, QString& error);

    const QString& Folder() const { return m_folder; }
    QString Path(const QString& name) const;

    // The hash of a file's bytes, or of nothing when it cannot be read.
    static QString FileHash(const QString& path);
    // The hash of a step's inputs: its options and the hashes of its input files, in order.
    static QString InputsHash(const QStringList& parts);

    // The recorded result of step, when its inputs hash as recorded and the file is still there.
    QString Reusable(const QString& step, const QString& inputs) const;
    // Records step's result (a path in the folder, or beside it) for these inputs.
    bool Record(const QString& step, const QString& inputs, const QString& result, QString& error);

private:
    QString m_folder;
    QJsonObject m_steps;
};
