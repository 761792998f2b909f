#pragma once

#include <QString>
#include <QtMessageHandler>

// Appends Qt's debug messages, one "Debug: <text>" line each, to Log.txt in
// the current folder. Warnings and worse are dropped.
void LogMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);
void InstallLogHandler();
