#pragma once

#include <QString>

// The texts of --help and `zelvarinctl help COMMAND`.
namespace Help {

QString general();
// Empty for a command that does not exist.
QString command(const QString &name);

} // namespace Help
