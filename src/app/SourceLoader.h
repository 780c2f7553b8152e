// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/Error.h"
#include "data/SourceState.h"
#include "tree/BuildReport.h"

#include <QList>
#include <functional>
#include <memory>
#include <optional>

namespace kestrelon {

class Database;
class LoadProgress;
class Recordset;
class TreeModel;
struct HierarchyRules;

// How a start-up ended, and what it leaves to show.
struct LoadResult
{
    enum class Ending {
        Loaded,       // the tree is filled; `source` holds the open data source
        NoConnection, // the data source could not be opened
        Failed,       // `failure` ended the reading
        Cancelled,    // the user stopped the reading
    };

    Ending ending = Ending::Loaded;
    SourceState source;
    QList<BuildReport> reports;
    std::optional<Error> failure;
    // Reading the stratigraphic rows failed; the lithology stands.
    std::optional<Error> stratigraphyFailure;
};

// The start-up's reading: connects to "ds_hier" and reads the lithology and,
// where the data source has them, the stratigraphic rows into the tree.
// The rows are read on a thread of their own while this one builds. A read
// that takes more than a second shows its progress in a small window with a
// Cancel button; while it waits, the window's thread answers events there,
// and only there.
class SourceLoader
{
public:
    explicit SourceLoader(TreeModel &tree);
    ~SourceLoader();
    SourceLoader(const SourceLoader &) = delete;
    SourceLoader &operator=(const SourceLoader &) = delete;

    LoadResult load();
    // Stops the reading from an event that it answers; load() then ends
    // as Cancelled.
    void cancel();

private:
    void read(LoadResult &result);
    static bool offersStratigraphy(Database &database);
    void readStratigraphy(LoadResult &result);

    TreeModel &tree_;
    std::unique_ptr<LoadProgress> progress_; // while the rows are read
    bool cancelled_ = false;
};

} // namespace kestrelon
