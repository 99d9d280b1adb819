#include "tree/FindExtension.h"

#include "data/SharedState.h"
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

QString FindExtension::query()
{
    // Each kind of object is reached from the extension rows with these digits, found through the
    // index on them whatever the statistics say: the search costs the same on any site. The
    // application handlers are read from their table, which every server version has; the
    // non-primary view of the newer servers gives the same rows. A global subscriber is found by
    // any of its extensions, the primary one included.
    const QString digits = QStringLiteral("DTMFAccessID x INDEXED BY DTMFAccessID_Digits ");
    // The object of each extension row is named by its table, so that a plan names what it reads.
    const auto primaryOf = [&](const QString& table, const QString& key, const QString& columns) {
        return QStringLiteral("SELECT %1 FROM %2CROSS JOIN %3 ON x.ParentObjectID = %3.%4 WHERE x.DTMFAccessID = ?1 AND "
                              "x.IsPrimaryID = 1 ")
            .arg(QString(columns).replace(QLatin1String("o."), table + QLatin1Char('.')), digits, table, key);
    };
    const QString location = primaryOf(QStringLiteral("Location"), QStringLiteral("LocationObjectID"),
                                       QStringLiteral("o.LocationObjectId, 9, o.TextName, o.LocationObjectId, x.DTMFAccessID"));
    return QStringLiteral("SELECT * FROM ( ")
           + primaryOf(QStringLiteral("CallHandler"), QStringLiteral("CallHandlerObjectID"),
                       QStringLiteral("o.CallHandlerObjectId AS ObjectId, 3 AS ObjectType, o.TextName AS DisplayName, "
                                      "o.LocationObjectId AS LocationObjectId, x.DTMFAccessID AS DtmfAccessId"))
           + QStringLiteral("AND CallHandler.IsPrimary = 0 Union ")
           + primaryOf(QStringLiteral("InterviewHandler"), QStringLiteral("InterviewHandlerObjectID"),
                       QStringLiteral("o.InterviewHandlerObjectId, 5, o.TextName, o.LocationObjectId, x.DTMFAccessID"))
           + QStringLiteral("Union ")
           + primaryOf(QStringLiteral("NameLookupHandler"), QStringLiteral("NameLookupHandlerObjectID"),
                       QStringLiteral("o.NameLookupHandlerObjectId, 6, o.TextName, o.LocationObjectId, x.DTMFAccessID"))
           + QStringLiteral("Union SELECT GlobalSubscriber.SubscriberObjectID, 1, GlobalSubscriber.DisplayName, "
                            "GlobalSubscriber.LocationObjectID, x.DTMFAccessID FROM ")
           + digits
           + QStringLiteral("CROSS JOIN GlobalSubscriber ON x.ParentObjectID = GlobalSubscriber.SubscriberObjectID WHERE "
                            "x.DTMFAccessID = ?1 Union ")
           + primaryOf(QStringLiteral("DistributionList"), QStringLiteral("SystemDListObjectID"),
                       QStringLiteral("o.SystemDListObjectId, 2, o.DisplayName, NULL, x.DTMFAccessID"))
           + QStringLiteral("Union ") + location
           + QStringLiteral(") t Where (LocationObjectId Is Null Or fn_LocationInScope(t.LocationObjectId, 1) = 1) AND "
                            "DTMFAccessID =?1 UNION ")
           + location;
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
    if (!runStep(prompts, errors,
                 [&] { found = runQuery(m_state.connections.open(m_state.ConnectionString)->db(), query(), {extension}); }))
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
