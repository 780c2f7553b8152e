// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourceLoader.h"

#include "LoadProgress.h"
#include "RowFeed.h"

#include "data/Database.h"
#include "data/Engine.h"
#include "data/HierarchyRow.h"
#include "data/Recordset.h"
#include "data/Workspace.h"
#include "tree/HierarchyBuilder.h"
#include "tree/LithologyBuilder.h"
#include "tree/StratigraphyBuilder.h"

namespace kestrelon {

namespace {

// The one data source the program reads, and the credentials it uses.
const QString DataSourceName = QStringLiteral("ds_hier");
const QString UserName = QStringLiteral("user");
const QString Password = QStringLiteral("tamarisk");

} // namespace

SourceLoader::SourceLoader(TreeModel &tree) : tree_(tree) {}

SourceLoader::~SourceLoader() = default;

LoadResult SourceLoader::load()
{
    LoadResult result;
    try {
        try {
            const auto engine = Engine::instance();
            result.source.SourceWorkspace =
                engine->createWorkspace(DataSourceName, UserName, Password);
            result.source.SourceDatabase =
                result.source.SourceWorkspace->openDatabase(DataSourceName);
        } catch (const Error &) {
            result.ending = LoadResult::Ending::NoConnection;
            return result;
        }
        try {
            read(result);
        } catch (const Error &error) {
            const bool cancelled = progress_ && progress_->wasCancelled();
            result.ending = cancelled ? LoadResult::Ending::Cancelled : LoadResult::Ending::Failed;
            result.failure = error;
        }
    } catch (const std::exception &error) {
        // Anything else, running out of memory above all, ends the start-up
        // as a failure to read does.
        const bool outOfMemory = dynamic_cast<const std::bad_alloc *>(&error) != nullptr;
        result.ending = LoadResult::Ending::Failed;
        result.failure =
            Error(UnexpectedFailure, outOfMemory ? QStringLiteral("Out of memory")
                                                 : QString::fromLocal8Bit(error.what()));
    }
    progress_.reset();
    return result;
}

void SourceLoader::cancel()
{
    cancelled_ = true;
    if (progress_)
        progress_->cancel();
}

void SourceLoader::read(LoadResult &result)
{
    // A long read shows its progress, and Cancel there ends the start-up.
    progress_ = std::make_unique<LoadProgress>();
    if (cancelled_)
        progress_->cancel();
    const std::shared_ptr<Database> database = result.source.SourceDatabase;
    // Whether the stratigraphy is offered is settled on the reading thread
    // before the lithology's cursor opens: its root must stand before any
    // lithology row is placed. Its rows are read once the lithology stands,
    // so that a slow stratigraphy does not hold it up.
    bool stratigraphy = false;
    RowFeed lithology(
        database,
        [database, &stratigraphy] {
            stratigraphy = offersStratigraphy(*database);
            return database->openRecordset(LithRow.rowSet);
        },
        *lithologyRules().layout, lithologyRules().rewinds, *progress_);
    lithology.waitUntilOpen();
    // Both roots come first: no row of either hierarchy takes their keys.
    addRoot(tree_, lithologyRules());
    if (stratigraphy)
        addRoot(tree_, stratigraphyRules());
    result.reports << placeRows(lithology, tree_, lithologyRules());
    result.source.LithRows = lithology.cursor();
    if (stratigraphy)
        readStratigraphy(result);
}

// The stratigraphic hierarchy stands beside the lithology when the data
// source's catalogue lists its rows and a query may read them: a row set
// listed in a schema the login may not use, say, is not offered. Failing to
// ask costs only the stratigraphy; a time-out or a cancel ends the start-up.
bool SourceLoader::offersStratigraphy(Database &database)
{
    try {
        // A query of no rows: a slow row set answers it at once.
        return database.canRead(StratRow.rowSet);
    } catch (const Error &error) {
        if (error.number() == TimedOut || error.number() == OperationCancelled)
            throw;
        return false;
    }
}

// Failing to read the stratigraphic rows does not cost the lithology, unless
// the data source did not answer in time: it will not answer Define either.
// A cancelled start-up ends as well.
void SourceLoader::readStratigraphy(LoadResult &result)
{
    const std::shared_ptr<Database> database = result.source.SourceDatabase;
    try {
        RowFeed feed(
            database,
            [database] { return database->openRecordset(StratRow.rowSet, CursorType::Rewindable); },
            *stratigraphyRules().layout, stratigraphyRules().rewinds, *progress_);
        feed.waitUntilOpen();
        result.reports << placeRows(feed, tree_, stratigraphyRules());
        result.source.StratRows = feed.cursor();
    } catch (const Error &error) {
        if (progress_->wasCancelled() || error.number() == TimedOut)
            throw;
        result.stratigraphyFailure = error;
    }
}

} // namespace kestrelon
