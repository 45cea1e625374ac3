#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <cstdint>

// One tool as the editor lists it. The module fills only the identifier and the display name;
// the other fields are the editor's and keep these defaults.
struct AIGCToolInfo
{
    int32_t firstFlag = 1;
    QUuid toolId;
    QString displayName;
    QString secondText;
    QString thirdText;
    uint64_t firstValue = 0;
    uint64_t secondValue = 0;
    int32_t secondFlag = 1;
    QStringList texts;
    int32_t integers[4] = {0, 0, 0, 0};
};

// The editor's growable array of tool records.
using AIGCToolInfoArray = QList<AIGCToolInfo>;

// The call block of the window commands; what each field carries depends on the command.
struct AIGCToolParam
{
    void* object = nullptr; // parent window (create), tool window (destroy), property map (select)
    QUuid toolId;
    QUuid selectedObject;   // the editor's selected object, passed through unchanged
    uint64_t value = 0;     // message number (create), window (create's result), text (select)
};
