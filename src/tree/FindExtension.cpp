#include "tree/FindExtension.h"

#include "data/SharedState.h"
#include "data/TalvoVersion.h"
#include "data/Validators.h"
#include "db/Query.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"

#include <QAction>

FindExtension::FindExtension(SharedState& state, QObject* parent)
    : QObject(parent),
      m_state(state)
{
}

void FindExtension::connectTo(QAction* mnuFindExtension)
{
    connectGuarded(m_state.prompts, mnuFindExtension, &QAction::triggered, this, [this] { mnuFindExtension_Click(); });
}

QString FindExtension::query(bool nonPrimaryView)
{
    const QString handlers =
        nonPrimaryView
            ? QStringLiteral("SELECT CallhandlerObjectId AS ObjectId, 3 AS ObjectType, TextName AS DisplayName, LocationObjectId, "
                             "DtmfAccessId FROM vw_Callhandler_NonPrimary WHERE DtmfAccessId IS NOT NULL ")
            : QStringLiteral("SELECT CallhandlerObjectId AS ObjectId, 3 AS ObjectType, TextName AS DisplayName, LocationObjectId, "
                             "DtmfAccessId FROM vw_Callhandler WHERE vw_CallHandler.IsPrimary='0' AND DtmfAccessId IS NOT NULL ");
    return QStringLiteral("SELECT * FROM ( ") + handlers
           + QStringLiteral(
               "Union SELECT InterviewHandlerObjectId AS ObjectId, 5 AS ObjectType, TextName AS DisplayName, LocationObjectId, "
               "DtmfAccessId FROM vw_InterviewHandler WHERE DtmfAccessId IS NOT NULL "
               "Union SELECT NameLookupHandlerObjectId AS ObjectId, 6 AS ObjectType, TextName AS DisplayName, LocationObjectId, "
               "DtmfAccessId FROM vw_NameLookupHandler WHERE DtmfAccessId IS NOT NULL "
               "Union SELECT SubscriberObjectId AS ObjectId, 1 AS ObjectType, DisplayName, LocationObjectId, DtmfAccessId FROM "
               "vw_Subscriber_Global WHERE DtmfAccessId IS NOT NULL "
               "Union SELECT SubscriberObjectID AS ObjectID, 1 AS ObjectType, vw_Subscriber_Global.DisplayName, "
               "vw_Subscriber_Global.LocationObjectID, vw_DTMFAccessID.DTMFAccessID FROM vw_DTMFAccessID INNER JOIN "
               "vw_Subscriber_Global ON vw_DTMFAccessID.ParentObjectID=vw_Subscriber_Global.SubscriberObjectID WHERE "
               "vw_DTMFAccessID.DTMFAccessID IS NOT NULL "
               "Union SELECT SystemDListObjectId AS ObjectId, 2 AS ObjectType, DisplayName, NULL AS LocationObjectId, "
               "DtmfAccessId FROM vw_DistributionList WHERE DtmfAccessId IS NOT NULL "
               "Union SELECT LocationObjectId AS ObjectId, 9 AS ObjectType, TextName AS DisplayName, LocationObjectId AS "
               "LocationObjectId, DtmfAccessId FROM vw_Location WHERE DtmfAccessId IS NOT NULL) t "
               "Where (LocationObjectId Is Null Or fn_LocationInScope(t.LocationObjectId, 1) = 1) AND DTMFAccessID =?1 "
               "UNION Select LocationObjectID as ObjectID, 9 as OBjectType, TextName as DisplayName, LocationObjectID as "
               "LocationObjectID, DTMFAccessID from vw_Location WHERE DTMFAccessID=?1");
}

void FindExtension::mnuFindExtension_Click()
{
    UserPrompts& prompts = m_state.prompts;
    const QString answer =
        prompts.inputBox(QStringLiteral("Enter extension number to find"), QStringLiteral("Find Extension"), QString());
    if (!MyIsNumber(answer, 0, 0)) {
        prompts.msgBox(QStringLiteral("Please enter only digits"), Buttons::OKOnly);
        return;
    }
    const QString extension = answer.trimmed();
    if (extension.isEmpty())
        return;

    const StepErrors errors = StepErrors::shownAs(
        inProcedure(QStringLiteral("mnuFindExtension_Click"), QStringLiteral("Form"), QStringLiteral("frmMain")));
    QueryResult found;
    // Without a result there is nothing to report; the error said why.
    if (!runStep(prompts, errors, [&] {
            const bool nonPrimaryView = IsTalvoVersionAtLeast(m_state.ServerVersion, 4, 0, 2, 120);
            found = runQuery(m_state.connections.open(m_state.ConnectionString)->db(), query(nonPrimaryView), {extension});
        }))
        return;
    if (found.rows.empty()) {
        prompts.msgBox(QStringLiteral("No objects using that extension were found in the dialing domain"), Buttons::OKOnly);
        return;
    }
    const auto column = [&](const char* name) {
        for (int c = 0; c < found.columns.size(); ++c)
            if (found.columns[c].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return c;
        return -1;
    };
    const int digits = column("DTMFAccessID"), type = column("ObjectType"), name = column("DisplayName");
    QString text = QStringLiteral("That extension is in use by the following objects:\r\n");
    for (const std::vector<Variant>& row : found.rows) {
        // A row whose entry cannot be formed is left out after its message.
        runStep(prompts, errors, [&] {
            text += QStringLiteral("Extension= ") + row.at(size_t(digits)).toText() + QStringLiteral(" is owned by ")
                    + GetObjectTypeName(row.at(size_t(type)).toInt16()) + QStringLiteral(" with a Display Name= ")
                    + row.at(size_t(name)).toText() + QStringLiteral(".  ");
        });
    }
    prompts.msgBox(text, Buttons::OKOnly);
}
