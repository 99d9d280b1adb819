#include "data/LinkDisplay.h"

#include "data/LinkKinds.h"
#include "data/RecordsetCache.h"
#include "data/StoredValues.h"
#include "db/RecordsetPosition.h"
#include "runtime/ErrorHandling.h"

#include <optional>

namespace {

const QString kCallHandlerObjectID = QStringLiteral("CallHandlerObjectID");
const QString kSubscriberObjectID = QStringLiteral("SubscriberObjectID");
const QString kInterviewHandlerObjectID = QStringLiteral("InterviewHandlerObjectID");
const QString kInvalidLink = QStringLiteral("Invalid Link!");

// Where a lookup found a recordset; one that stood past its end comes back on its first row. An
// empty recordset is left where it is and comes back there.
RecordsetPosition savedPosition(Recordset& rs, const QString& keyColumn)
{
    if (rs.isEOF() && rs.recordCount() > 0)
        rs.moveFirst();
    return RecordsetPosition(rs, keyColumn);
}

// A call handler destination by the name callers know it by: a subscriber's own handler by the
// subscriber's name.
QString handlerText(RecordsetCache& cache, const LinkKind& kind, const QString& destination)
{
    Recordset& ch = cache.rsCallHandler;
    ch.moveFirst();
    if (!ch.find(kCallHandlerObjectID, destination))
        return kInvalidLink;
    const QString prefix = QString::fromLatin1(kind.text);
    if (!isFlagSet(ch.field(QStringLiteral("IsPrimary"))))
        return prefix + ch.field(QStringLiteral("TextName")).toText();
    const Variant owner = ch.field(QStringLiteral("AdministratorObjectID"));
    Recordset& sub = cache.rsSubscriber;
    sub.moveFirst();
    if (sub.find(kSubscriberObjectID, owner))
        return prefix + sub.field(QStringLiteral("DisplayName")).toText();
    if (kind.missingSubscriberText)
        return QString::fromLatin1(kind.missingSubscriberText) + owner.textOrEmpty();
    return kInvalidLink;
}

QString interviewerText(RecordsetCache& cache, const LinkKind& kind, const QString& destination)
{
    Recordset& ih = cache.rsInterviewHandler;
    ih.moveFirst();
    if (!ih.find(kInterviewHandlerObjectID, destination))
        return kInvalidLink;
    return QString::fromLatin1(kind.text) + ih.field(QStringLiteral("TextName")).toText();
}

} // namespace

QString ConstructActionString(RecordsetCache& cache, UserPrompts& prompts, const QString& strConversationName, qint16 iAction,
                              const QString& strDestinationObjectID)
{
    // Saving the positions is outside the function's own error handling: its failure goes to the
    // caller, and no text comes back.
    RecordsetPosition callHandler = savedPosition(cache.rsCallHandler, kCallHandlerObjectID);
    RecordsetPosition subscriber = savedPosition(cache.rsSubscriber, kSubscriberObjectID);

    // A Null name gives "(Error)" without a word; any other failure is told, and the next step runs.
    const StepErrors errors =
        StepErrors(QStringLiteral("Error in Construction Action String:")).except(ErrorNumber::InvalidUseOfNull);
    auto step = [&](auto&& body) { runStep(prompts, errors, body); };

    QString text = QStringLiteral("(Error)");
    std::optional<RecordsetPosition> interviewer;
    const LinkKind* kind = findLinkKind(iAction, strConversationName);
    if (!kind) {
        if (iAction == LinkAction::GoTo)
            prompts.msgBox(QStringLiteral("Error in ConstructActionSTring function.  Illegal conversation name:")
                           + strConversationName);
        else
            prompts.msgBox(QStringLiteral("Error in ConstructActionString function.  Illegal action type:")
                           + QString::number(iAction));
    } else if (!kind->paneNamesTarget) {
        text = QString::fromLatin1(kind->text);
    } else if (kind->target == LinkTarget::CallHandler) {
        step([&] { text = handlerText(cache, *kind, strDestinationObjectID); });
    } else if (kind->target == LinkTarget::Interviewer) {
        step([&] { interviewer.emplace(savedPosition(cache.rsInterviewHandler, kInterviewHandlerObjectID)); });
        step([&] { text = interviewerText(cache, *kind, strDestinationObjectID); });
    }

    step([&] { callHandler.restore(); });
    step([&] { subscriber.restore(); });
    if (interviewer)
        step([&] { interviewer->restore(); });
    return text;
}

qint16 GetOwnerObjectType(RecordsetCache& cache, const QString& strObjectID)
{
    // A lookup that fails counts as nothing found.
    bool found = false;
    runStepSilently([&] {
        Recordset& sub = cache.rsSubscriber;
        sub.moveFirst();
        found = sub.find(kSubscriberObjectID, strObjectID);
    });
    if (found)
        return OwnerObjectType::Subscriber;
    runStepSilently([&] {
        Recordset& lists = cache.rsDistributionList;
        lists.moveFirst();
        found = lists.find(QStringLiteral("SystemDListObjectID"), strObjectID);
    });
    return found ? OwnerObjectType::DistributionList : OwnerObjectType::Neither;
}
