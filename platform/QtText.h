#pragma once

#include <QString>
#include <string>

// Text crosses into Qt only at widgets: in memory it is UTF-8 (names may also hold bytes that
// are not text, which Qt shows as replacement characters).
inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }
