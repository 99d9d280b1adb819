#include "greetings/EditorRows.h"

#include "data/RecordsetCache.h"
#include "pane/PaneControls.h"
#include "runtime/ErrorHandling.h"

namespace {

const QString kParentObjectID = QStringLiteral("ParentObjectID");

void narrowTo(Recordset& rules, const Variant& handlerId)
{
    const std::vector<Criterion>& filter = rules.filter();
    if (filter.size() == 1 && filter.front().column.compare(kParentObjectID, Qt::CaseInsensitive) == 0
        && filter.front().value.textOrEmpty().compare(handlerId.textOrEmpty(), Qt::CaseInsensitive) == 0)
        return;
    rules.setFilter(kParentObjectID, handlerId);
}

} // namespace

namespace EditorRows {

void positionOnHandler(RecordsetCache& cache, const QString& handlerId)
{
    const QString key = QStringLiteral("CallHandlerObjectID");
    Recordset& ch = cache.rsCallHandler;
    ch.moveFirst();
    ch.find(key, handlerId);
    const Variant id = ch.field(key); // no current record when the handler is gone
    narrowTo(cache.rsMessagingRule, id);
    narrowTo(cache.rsContactRule, id);
}

void findGreeting(RecordsetCache& cache, const QString& handlerId, int index)
{
    positionOnHandler(cache, handlerId);
    Recordset& rules = cache.rsMessagingRule;
    rules.moveFirst();
    rules.find(QStringLiteral("Alias"), QString::fromLatin1(GreetingAlias.at(size_t(index))));
}

void findGreetingById(RecordsetCache& cache, const QString& handlerId, const QString& messagingRuleObjectID)
{
    positionOnHandler(cache, handlerId);
    Recordset& rules = cache.rsMessagingRule;
    rules.moveFirst();
    rules.find(QStringLiteral("MessagingRuleObjectID"), messagingRuleObjectID);
}

void findTransferRule(RecordsetCache& cache, const QString& handlerId, int index)
{
    positionOnHandler(cache, handlerId);
    Recordset& rules = cache.rsContactRule;
    rules.moveFirst();
    rules.find(QStringLiteral("Alias"), QString::fromLatin1(TransferRuleAlias.at(size_t(index))));
}

} // namespace EditorRows

void EditorRows::showsStored(Recordset& rs, const QString& column)
{
    runStepSilently([&] { rs.markShown({column}); });
}
