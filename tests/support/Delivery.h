#pragma once

#include <QObject>

#include <chrono>
#include <functional>

// Delivers the messages posted to receiver (and to its tasks: every posted event of the thread)
// until done() holds or the time runs out; returns done().
bool DeliverUntil(QObject* receiver, const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(20));
