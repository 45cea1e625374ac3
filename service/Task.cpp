#include "service/Task.h"

Task::Task(QObject* parent) : QObject(parent) {}

Task::~Task() = default;
