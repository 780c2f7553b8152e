// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace kestrelon {

class Database;
class Recordset;
class Workspace;

// The window's hold on its data source: the open database, the workspace it
// was opened through, and the two row cursors. The start-up fills it and
// hands it to the Define request, whose thread alone reads it from then on.
// Each member is a shared reference; storing a new object releases the one
// held before.
struct SourceState
{
    std::shared_ptr<Database> SourceDatabase;
    std::shared_ptr<Workspace> SourceWorkspace;
    std::shared_ptr<Recordset> LithRows;
    std::shared_ptr<Recordset> StratRows;
};

} // namespace kestrelon
