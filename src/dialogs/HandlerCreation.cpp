#include "dialogs/HandlerCreation.h"

#include "data/ChangeLog.h"
#include "data/ExtensionSearch.h"
#include "data/SharedState.h"
#include "data/TalvoVersion.h"
#include "data/Validators.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "runtime/ErrorHandling.h"
#include "runtime/UserPrompts.h"
#include "server/StoredProcedures.h"
#include "system/SharedFileSystem.h"

#include <QHash>
#include <QUuid>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

// A creation that ends early with its one message; everything made so far is undone.
struct CreationStop {
    QString message;
};

[[noreturn]] void stop(const QString& message)
{
    throw CreationStop{message};
}

// One row read by column name.
class Row {
public:
    Row(const QStringList& columns, std::vector<Variant> values)
        : m_columns(columns),
          m_values(std::move(values))
    {
    }
    Variant operator[](const QString& column) const
    {
        for (qsizetype i = 0; i < m_columns.size(); ++i)
            if (m_columns[i].compare(column, Qt::CaseInsensitive) == 0)
                return m_values[size_t(i)];
        throwError(ErrorNumber::ItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                                             "requested name or ordinal."));
    }

private:
    QStringList m_columns;
    std::vector<Variant> m_values;
};

std::vector<Row> rowsOf(SqliteDb& db, const QString& sql, const std::vector<Variant>& params)
{
    QueryResult result = runQuery(db, sql, params);
    std::vector<Row> rows;
    rows.reserve(result.rows.size());
    for (auto& values : result.rows)
        rows.emplace_back(result.columns, std::move(values));
    return rows;
}

std::optional<QString> optionalText(const Variant& v)
{
    return v.isNull() ? std::nullopt : std::optional<QString>(v.toText());
}

std::optional<int> optionalNumber(const Variant& v)
{
    return v.isNull() ? std::nullopt : std::optional<int>(v.toInt32());
}

// The integer part of a number column, for a parameter that takes a whole number. A value
// beyond the parameter's range overflows, as the runtime's own conversions do.
std::optional<int> integerPart(const Variant& v)
{
    if (v.isNull())
        return std::nullopt;
    const double whole = std::trunc(v.toDouble());
    if (!(whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max()))
        throwError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return int(whole);
}

// An empty id is no id.
Variant idOrNull(const Variant& v)
{
    return v.isNull() || v.toText().isEmpty() ? Variant::null() : v;
}

QString withoutQuotes(QString text)
{
    return text.remove(QLatin1Char('\''));
}

// What one creation has made outside the database: removed again unless it is committed.
class Creation {
public:
    explicit Creation(SharedState& state)
        : m_state(state)
    {
    }

    // The connection of the shared recordsets, so that the cache sees the handler at its requery.
    std::shared_ptr<Connection> connection()
    {
        std::shared_ptr<Connection> c = m_state.cache.rsCallHandler.activeConnection();
        return c ? c : m_state.connections.open(m_state.ConnectionString);
    }

    // After the commit: the "NEW" line, the cache read again, and the handlers' recordset, when
    // given, on the new handler.
    void announce(const QString& table, const QString& alias, const QString& newId, Recordset* handlers = nullptr)
    {
        m_state.changeLog.LogChange(QStringLiteral("NEW"), table, alias, std::nullopt, std::nullopt, std::nullopt, newId);
        m_state.cache.RequeryAllRecordsets();
        if (handlers)
            runStepSilently([&] {
                handlers->moveFirst();
                handlers->find(QStringLiteral("Alias"), alias);
            });
    }

    // The alias from the typed name; taken ones get a random number appended, again and again.
    QString freeAlias(SqliteDb& db, const QString& table, const QString& name, const QString& emptyNameMessage)
    {
        QString alias = RemoveSpaces(withoutQuotes(name));
        if (alias.isEmpty())
            stop(emptyNameMessage);
        const QString taken = QStringLiteral("SELECT count(*) FROM %1 WHERE Alias = ?1").arg(table);
        for (int attempt = 0; attempt < kCreationNameAttempts; ++attempt) {
            if (db.scalar(taken, {alias}).toInt32() == 0)
                return alias;
            alias += QString::number(randomNumber());
        }
        stop(QStringLiteral("Error in cmdCreateHandler - could not find a free alias for ") + alias);
    }

    // A copy of the program's silent recording under a name no file has yet.
    QString newSilentFile(const QString& prefix)
    {
        const QString source = m_state.environment.programFolder.file(QStringLiteral("empty.wav"));
        for (int attempt = 1;; ++attempt) {
            const QString name = prefix + QString::number(randomNumber()) + QStringLiteral(".wav");
            const QString file = localPathFromStored(name, m_state.StreamFilesPath);
            try {
                m_state.fileSystem.CopyFile(source, file, false);
                m_files << file;
                return name;
            } catch (const RuntimeError& e) {
                if (e.number() != FileErrorNumber::FileAlreadyExists || attempt >= kCreationNameAttempts)
                    throw;
            }
        }
    }

    // Runs the creation; on any stop the transaction is rolled back, the files go, and the one
    // message is shown.
    template <typename Body>
    QString run(Body&& body)
    {
        try {
            return body();
        } catch (const CreationStop& s) {
            undoFiles();
            m_state.prompts.msgBox(s.message, Buttons::OKOnly);
        } catch (const RuntimeError& e) {
            undoFiles();
            m_state.prompts.msgBox(QStringLiteral("error in cmdCreateHandler_Click:") + e.description(), Buttons::OKOnly);
        }
        return QString();
    }

    int randomNumber() { return int(m_state.random.generateDouble() * 100000); }

private:
    void undoFiles()
    {
        for (const QString& file : std::as_const(m_files))
            runStepSilently([&] { m_state.fileSystem.DeleteFile(file, true); });
        m_files.clear();
    }

    SharedState& m_state;
    QStringList m_files;
};

// The extension as it may be given to the new handler. Checked inside the creation's transaction,
// against the objects as the database now holds them: another program may have given it out
// since the box was left (or Enter created without the box ever being left), and none can
// until the commit. The refusal is shown once the transaction has been rolled back.
QString freeExtension(SharedState& state, const QString& typed)
{
    if (typed.isEmpty())
        return QString();
    refreshSearchedObjects(state.cache);
    if (const std::optional<QString> refusal = extensionRefusal(state, typed, 0))
        stop(*refusal);
    return typed.trimmed();
}

// What one kind of creation checks and reads before it writes.
struct CreationKind {
    QString table;
    QString emptyNameMessage;
    // The template is the first row this query gives; without one the creation stops.
    QString templateQuery;
    std::vector<Variant> templateParameters;
    QString noTemplateMessage;
};

// What every creation settles before it writes, in this order: a name given, the creation's
// transaction open, the extension and the alias free, the template row read. Each refusal stops
// the creation with its message.
class Preparation {
public:
    Preparation(SharedState& state, Creation& creation, const QString& name, const QString& extensionBox, const CreationKind& kind)
    {
        if (name.isEmpty())
            stop(kind.emptyNameMessage);
        m_connection = creation.connection();
        m_transaction.emplace(*m_connection);
        m_extension = freeExtension(state, extensionBox);
        m_alias = creation.freeAlias(db(), kind.table, name, kind.emptyNameMessage);
        std::vector<Row> rows = rowsOf(db(), kind.templateQuery, kind.templateParameters);
        if (rows.empty())
            stop(kind.noTemplateMessage);
        m_template.emplace(std::move(rows.front()));
    }

    SqliteDb& db() { return m_connection->db(); }
    const QString& extension() const { return m_extension; }
    const QString& alias() const { return m_alias; }
    // The extension as a procedure takes it: none when empty.
    std::optional<QString> extensionParameter() const
    {
        return m_extension.isEmpty() ? std::nullopt : std::optional<QString>(m_extension);
    }
    const Row& templateRow() const { return *m_template; }

    // The id of the handler just made, found by its alias.
    QString createdId(const QString& from, const QString& keyColumn)
    {
        const Variant id = db().scalar(QStringLiteral("SELECT %1 FROM %2 WHERE Alias = ?1").arg(keyColumn, from), {m_alias});
        if (id.isNull())
            stop(QStringLiteral("Error in cmdCreateHandler - could not find newly created alias=") + m_alias);
        return id.toText();
    }

    void commit() { m_transaction->commit(); }

private:
    std::shared_ptr<Connection> m_connection;
    std::optional<ScopedTransaction> m_transaction;
    QString m_extension;
    QString m_alias;
    std::optional<Row> m_template;
};

// The template's settings that both call handler procedures take under the same names.
template <typename Parameters>
void takeTemplateSettings(Parameters& p, const Row& t)
{
    p.AfterMessageAction = optionalNumber(t[QStringLiteral("AfterMessageAction")]);
    p.AfterMessageConversation = optionalText(t[QStringLiteral("AfterMessageConversation")]);
    p.EditMsg = integerPart(t[QStringLiteral("EditMsg")]);
    p.Language = optionalNumber(t[QStringLiteral("Language")]);
    p.MaxMsgLen = optionalNumber(t[QStringLiteral("MaxMsgLen")]);
    p.OneKeyDelay = optionalNumber(t[QStringLiteral("OneKeyDelay")]);
    p.ScheduleObjectName = optionalText(t[QStringLiteral("ScheduleObjectName")]);
    p.SendUrgentMsg = integerPart(t[QStringLiteral("SendUrgentMsg")]);
}

struct RuleKind {
    QString table;
    QString key;
    int minimum;
    QStringList copied;
    QString missingRows;
    QString missingAlias;
};

// The template's transfer rules, keys and greetings onto the new handler's rows, matched by alias.
void CopyTemplateRules(Creation& creation, SqliteDb& db, const QString& newId, const QString& newAlias, const QString& templateId,
                       const QString& extension)
{
    const std::vector<RuleKind> kinds = {
        {QStringLiteral("ContactRule"),
         QStringLiteral("ContactRuleObjectID"),
         3,
         {QStringLiteral("PlayWhat"), QStringLiteral("RNAAction"), QStringLiteral("TimeExpires"), QStringLiteral("TransferRings"),
          QStringLiteral("TransferType"), QStringLiteral("SwitchID")},
         QStringLiteral("error in cmbCreatCallHandler - target contact rules missing for parent="),
         QStringLiteral("error in cmbCreatCallHandler - target contact rules missing alias=")},
        {QStringLiteral("MenuEntry"),
         QStringLiteral("MenuEntryObjectID"),
         12,
         {QStringLiteral("Action"), QStringLiteral("ConversationName"), QStringLiteral("DestinationObjectID"),
          QStringLiteral("DestinationObjectIDType"), QStringLiteral("Locked")},
         QStringLiteral("error in cmbCreatCallHandler - target menu entires missing for parent="),
         QStringLiteral("error in cmbCreatCallHandler - target menu entries missing alias=")},
        {QStringLiteral("MessagingRule"),
         QStringLiteral("MessagingRuleObjectID"),
         6,
         {QStringLiteral("Action"), QStringLiteral("ConversationName"), QStringLiteral("DestinationObjectID"),
          QStringLiteral("DestinationObjectIDType"), QStringLiteral("IgnoreDigits"), QStringLiteral("PlayWhat"),
          QStringLiteral("Reprompts"), QStringLiteral("RepromptDelay"), QStringLiteral("TimeExpires")},
         QStringLiteral("error in cmbCreatCallHandler - target messaging rules missing for parent="),
         QStringLiteral("error in cmbCreatCallHandler - target messaging rules missing alias=")},
    };
    for (const RuleKind& kind : kinds) {
        const QString ofParent = QStringLiteral(" FROM %1 WHERE ParentObjectID = ?1 ORDER BY rowid").arg(kind.table);
        QHash<QString, QString> newRows; // folded alias -> key
        const std::vector<Row> targets = rowsOf(db, QStringLiteral("SELECT %1, Alias").arg(kind.key) + ofParent, {newId});
        for (const Row& r : targets)
            newRows.insert(r[QStringLiteral("Alias")].textOrEmpty().toCaseFolded(), r[kind.key].toText());
        if (int(targets.size()) < kind.minimum)
            stop(kind.missingRows + newId);

        for (const Row& source : rowsOf(db, QStringLiteral("SELECT *") + ofParent, {templateId})) {
            const QString alias = source[QStringLiteral("Alias")].textOrEmpty();
            const auto target = newRows.constFind(alias.toCaseFolded());
            if (target == newRows.cend())
                stop(kind.missingAlias + alias);

            QStringList columns;
            std::vector<Variant> values;
            auto set = [&](const QString& column, const Variant& value) {
                columns << QStringLiteral("%1 = ?%2").arg(column).arg(values.size() + 1);
                values.push_back(value);
            };
            if (kind.table == QLatin1String("ContactRule")) {
                // A rule that transferred somewhere transfers to the new handler's own extension;
                // without one it goes straight to the greeting.
                const bool transfers = !source[QStringLiteral("Extension")].textOrEmpty().isEmpty() && !extension.isEmpty();
                set(QStringLiteral("Extension"), transfers ? Variant(extension) : Variant::null());
                set(QStringLiteral("Action"), transfers ? source[QStringLiteral("Action")] : Variant(0));
            }
            for (const QString& column : kind.copied)
                set(column, source[column]);
            if (kind.table == QLatin1String("MessagingRule"))
                set(QStringLiteral("StreamPath"), creation.newSilentFile(QStringLiteral("mr_%1_%2_").arg(newAlias, alias)));
            values.push_back(*target);
            db.execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                           .arg(kind.table, columns.join(QStringLiteral(", ")), kind.key)
                           .arg(values.size()),
                       values);
        }
    }
}

} // namespace

QString createCallHandler(SharedState& state, const QString& templateId, const QString& name, const QString& extensionBox)
{
    Creation creation(state);
    return creation.run([&]() -> QString {
        if (templateId.size() < 2)
            stop(QStringLiteral("No handler selected for template!"));
        Preparation prep(state, creation, name, extensionBox,
                         {QStringLiteral("CallHandler"),
                          QStringLiteral("You must enter a name for the new call handler!"),
                          QStringLiteral("SELECT * FROM CallHandler WHERE CallHandlerObjectID = ?1"),
                          {templateId},
                          QStringLiteral("Error in cmdCreateHandler - the user selected CallHandler template could not be found:")
                              + templateId});
        SqliteDb& db = prep.db();
        const QString& extension = prep.extension();
        const QString& alias = prep.alias();
        const Row& t = prep.templateRow();

        if (IsTalvoVersionAtLeast(state.ServerVersion, 4, 0, 2, 99)) {
            CallHandlerCreateParameters p;
            takeTemplateSettings(p, t);
            p.Alias = alias;
            p.TextName = withoutQuotes(name);
            p.AdministratorObjectID = optionalText(t[QStringLiteral("AdministratorObjectID")]);
            p.AdministratorObjectIDType = optionalNumber(t[QStringLiteral("AdministratorObjectIDType")]);
            p.DtmfAccessId = prep.extensionParameter();
            p.CallHandlerTemplateObjectID = optionalText(t[QStringLiteral("CallHandlerObjectID")]);
            csp_CallHandlerCreate(db, p);
        } else {
            ImportCallHandlerParameters p;
            takeTemplateSettings(p, t);
            p.Alias = alias;
            p.DisplayName = withoutQuotes(name);
            p.DtmfId = prep.extensionParameter();
            sp_ImportCallHandler(db, p);
        }

        const QString newId = prep.createdId(QStringLiteral("CallHandler"), QStringLiteral("CallHandlerObjectID"));
        CopyTemplateRules(creation, db, newId, alias, templateId, extension);
        db.execute(QStringLiteral("UPDATE CallHandler SET AfterMessageObjectID = ?1, AfterMessageObjectIDType = ?2, "
                                  "AdministratorObjectID = ?3, AdministratorObjectIDType = ?4, RecipientObjectID = ?5, "
                                  "RecipientObjectIDType = ?6 WHERE CallHandlerObjectID = ?7"),
                   {idOrNull(t[QStringLiteral("AfterMessageObjectID")]), t[QStringLiteral("AfterMessageObjectIDType")],
                    t[QStringLiteral("AdministratorObjectID")], t[QStringLiteral("AdministratorObjectIDType")],
                    t[QStringLiteral("RecipientObjectID")], t[QStringLiteral("RecipientObjectIDType")], newId});
        prep.commit();

        creation.announce(QStringLiteral("CallHandler"), alias, newId);
        return newId;
    });
}

QString createInterviewHandler(SharedState& state, const QString& templateId, const QString& name, const QString& extensionBox)
{
    Creation creation(state);
    return creation.run([&]() -> QString {
        Preparation prep(
            state, creation, name, extensionBox,
            {QStringLiteral("InterviewHandler"),
             QStringLiteral("You must enter a name for the new interviewer!"),
             QStringLiteral("SELECT * FROM InterviewHandler WHERE InterviewHandlerObjectID = ?1"),
             {templateId},
             QStringLiteral("Error in cmdCreateHandler - the selected Interviewer template could not be found:") + templateId});
        SqliteDb& db = prep.db();
        const QString& extension = prep.extension();
        const QString& alias = prep.alias();
        const Row& t = prep.templateRow();

        const QString newId = QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
        db.execute(QStringLiteral("INSERT INTO vw_InterviewHandler (InterviewHandlerObjectID, Alias, TextName, DTMFAccessID, "
                                  "AdministratorObjectID, AdministratorObjectIDType, RecipientObjectID, RecipientObjectIDType, "
                                  "AfterMessageAction, AfterMessageConversation, AfterMessageObjectID, AfterMessageObjectIDType, "
                                  "LocationObjectID) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)"),
                   {newId, alias, name, extension.isEmpty() ? Variant::null() : Variant(extension),
                    t[QStringLiteral("AdministratorObjectID")], t[QStringLiteral("AdministratorObjectIDType")],
                    t[QStringLiteral("RecipientObjectID")], t[QStringLiteral("RecipientObjectIDType")],
                    t[QStringLiteral("AfterMessageAction")], t[QStringLiteral("AfterMessageConversation")],
                    idOrNull(t[QStringLiteral("AfterMessageObjectID")]), t[QStringLiteral("AfterMessageObjectIDType")],
                    t[QStringLiteral("LocationObjectID")]});
        // The handler's first question, with a silent recording of its own.
        const QString questionFile = creation.newSilentFile(QStringLiteral("iq_%1_1_").arg(alias));
        const QString questionText = QStringLiteral("Question Text");
        const Variant answerLimit(30);
        db.execute(QStringLiteral("INSERT INTO InterviewQuestion (ParentObjectID, ParentObjectIDType, ParentAlias, Alias, "
                                  "StreamText, StreamPath, MaxMsgLength, UID) VALUES (?1, 5, ?2, 1, ?3, ?4, ?5, "
                                  "(SELECT coalesce(max(UID), 0) + 1 FROM InterviewQuestion))"),
                   {newId, alias, questionText, questionFile, answerLimit});
        prep.commit();

        creation.announce(QStringLiteral("InterviewHandler"), alias, newId, &state.cache.rsInterviewHandler);
        logInterviewQuestion(state.changeLog, alias, QStringLiteral("1"), questionFile, questionText, answerLimit);
        return newId;
    });
}

QString createDirectoryHandler(SharedState& state, const QString& name, const QString& extensionBox)
{
    Creation creation(state);
    return creation.run([&]() -> QString {
        // The template is the oldest directory handler.
        Preparation prep(state, creation, name, extensionBox,
                         {QStringLiteral("NameLookupHandler"),
                          QStringLiteral("You must enter a name for the new directory handler!"),
                          QStringLiteral("SELECT * FROM NameLookupHandler ORDER BY rowid LIMIT 1"),
                          {},
                          QStringLiteral("There is no directory handler to copy the settings of the new one from.")});
        const QString& alias = prep.alias();
        const Row& t = prep.templateRow();

        CreateDirectoryHandlerParameters p;
        p.Alias = alias;
        p.TextName = withoutQuotes(name);
        p.Language = optionalNumber(t[QStringLiteral("Language")]);
        p.DtmfAccessId = prep.extensionParameter();
        p.ApplicationObjectID = optionalText(t[QStringLiteral("ApplicationObjectID")]);
        p.SearchScopeObjectID = optionalText(t[QStringLiteral("SearchScopeObjectID")]);
        p.SearchScope = optionalNumber(t[QStringLiteral("SearchScope")]);
        p.UID = alias;
        p.EndDialDelay = optionalNumber(t[QStringLiteral("EndDialDelay")]);
        p.MaxMatches = optionalNumber(t[QStringLiteral("MaxMatches")]);
        // A flag that is Null is off.
        auto flag = [&](const char* column) {
            return std::optional<bool>(t[QString::fromLatin1(column)].isNull() ? false
                                                                               : t[QString::fromLatin1(column)].toInt32() != 0);
        };
        p.MenuStyle = flag("MenuStyle");
        p.SayExtension = flag("SayExtension");
        p.SearchByFirstName = flag("SearchByFirstName");
        p.StartDialDelay = optionalNumber(t[QStringLiteral("StartDialDelay")]);
        p.Tries = optionalNumber(t[QStringLiteral("Tries")]);
        p.UseStarToExit = flag("UseStarToExit");
        const LinkParameters exit{
            optionalNumber(t[QStringLiteral("ExitAction")]), optionalText(t[QStringLiteral("ExitConversation")]),
            optionalText(t[QStringLiteral("ExitObjectID")]), optionalNumber(t[QStringLiteral("ExitObjectIDType")])};
        p.Exit = p.NoInput = p.NoSelection = p.Zero = exit;
        p.LocationObjectID = optionalText(t[QStringLiteral("LocationObjectID")]);
        p.AdministratorObjectID = optionalText(t[QStringLiteral("AdministratorObjectID")]);
        p.AdministratorObjectIDType = optionalNumber(t[QStringLiteral("AdministratorObjectIDType")]);
        sp_CreateDirectoryHandler(prep.db(), p);
        const QString newId = prep.createdId(QStringLiteral("vw_NameLookupHandler"), QStringLiteral("NameLookupHandlerObjectID"));
        prep.commit();

        creation.announce(QStringLiteral("DirectoryHandler"), alias, newId, &state.cache.rsNameLookupHandler);
        return newId;
    });
}
