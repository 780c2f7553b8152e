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
    // Both roots come first: no row of either hierarchy takes their keys.
    const bool stratigraphy = offersStratigraphy(result);
    addRoot(tree_, lithologyRules());
    if (stratigraphy)
        addRoot(tree_, stratigraphyRules());
    result.reports << readAndBuild(
        database, result.source.LithRows,
        [database] { return database->openRecordset(LithRow.rowSet); }, lithologyRules());
    if (stratigraphy)
        readStratigraphy(result);
}

// The stratigraphic hierarchy stands beside the lithology when the data
// source offers its rows. Failing to ask costs only the stratigraphy, unless
// the data source did not answer in time.
bool SourceLoader::offersStratigraphy(LoadResult &result)
{
    try {
        return result.source.SourceDatabase->hasRowSet(StratRow.rowSet);
    } catch (const Error &error) {
        if (error.number() == TimedOut || error.number() == OperationCancelled)
            throw;
        result.stratigraphyFailure = error;
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
        result.reports << readAndBuild(
            database, result.source.StratRows,
            [database] { return database->openRecordset(StratRow.rowSet, CursorType::Rewindable); },
            stratigraphyRules());
    } catch (const Error &error) {
        if (progress_->wasCancelled() || error.number() == TimedOut)
            throw;
        result.stratigraphyFailure = error;
    }
}

// Reads a row set on a thread of its own while this one places its rows under
// the root already in the tree; `cursor` holds the cursor once it is open.
BuildReport SourceLoader::readAndBuild(std::shared_ptr<Database> database,
                                       std::shared_ptr<Recordset> &cursor, RowFeed::Open open,
                                       const HierarchyRules &rules)
{
    RowFeed feed(std::move(database), std::move(open), *rules.layout, rules.rewinds, *progress_);
    feed.waitUntilOpen();
    cursor = feed.cursor();
    return placeRows(feed, tree_, rules);
}

} // namespace kestrelon
