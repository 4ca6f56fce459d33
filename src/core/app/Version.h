#pragma once

#include <QString>

// The program's version, as --version and the About window show it.
namespace Version {

// The version of the project, e.g. "1.0.0".
QString number();
// The git commit the program was built from; empty when it was not built from a checkout.
QString commit();
// "1.0.0 (提交 1a2b3c4)", or the bare number without a commit.
QString text();

} // namespace Version
