#include "server/SiteBuilder.h"

#include "server/ServerFunctions.h"
#include "server/TalvoSchema.h"

namespace SiteWriting {

Variant textOrNull(const QString& text)
{
    return text.isEmpty() ? Variant::null() : Variant(text);
}

Variant numberOrNull(int value, bool present)
{
    return present ? Variant(value) : Variant::null();
}

void Link::bindTo(Statement& st, int first) const
{
    st.bind(first, action);
    st.bind(first + 1, textOrNull(conversation));
    st.bind(first + 2, textOrNull(objectId));
    st.bind(first + 3, numberOrNull(objectType, objectType != 0));
}

namespace {

QByteArray dayBitmap(int firstQuarter, int endQuarter)
{
    QByteArray bytes(12, '\0');
    for (int q = firstQuarter; q < endQuarter; ++q)
        bytes[q / 8] = static_cast<char>(static_cast<unsigned char>(bytes[q / 8]) | (0x80 >> (q % 8)));
    return bytes;
}

} // namespace

QByteArray hours(int fromHour, int toHour)
{
    return dayBitmap(fromHour * 4, toHour * 4);
}

SiteBuilder::SiteBuilder(const QString& databasePath, quint64 seed)
    : m_db(databasePath, SqliteDb::Mode::Create),
      m_rng(seed)
{
    registerServerFunctions(m_db.handle());
    // A new file: nothing to lose if the machine fails while it is written.
    m_db.exec(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536;"));
    createTalvoSchema(m_db);
    m_db.exec(QStringLiteral("BEGIN"));
    // Indexes are quicker built once over all rows than kept up to date row by row.
    Statement indexes(m_db, QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND sql IS NOT NULL"));
    while (indexes.step()) {
        m_droppedIndexes << indexes.column(1).toText();
        m_dropStatements << QStringLiteral("DROP INDEX \"%1\"").arg(indexes.column(0).toText());
    }
    for (const QString& drop : std::as_const(m_dropStatements))
        m_db.exec(drop);
    m_callHandler = prepare("INSERT INTO CallHandler (CallHandlerObjectID, Alias, TextName, IsPrimary, AdministratorObjectID, "
                            "AdministratorObjectIDType, RecipientObjectID, RecipientObjectIDType, AfterMessageAction, "
                            "AfterMessageConversation, AfterMessageObjectID, AfterMessageObjectIDType, MaxMsgLen, EditMsg, "
                            "SendUrgentMsg, ScheduleObjectName, Language, OneKeyDelay, Undeletable, LocationObjectID, "
                            "ContactRuleAlternate) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, "
                            "?17, ?18, ?19, ?20, ?21)");
    m_menuEntry = prepare("INSERT INTO MenuEntry (MenuEntryObjectID, ParentObjectID, Alias, Action, ConversationName, "
                          "DestinationObjectID, DestinationObjectIDType, Locked) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    m_messagingRule = prepare("INSERT INTO MessagingRule (MessagingRuleObjectID, ParentObjectID, Alias, Action, ConversationName, "
                              "DestinationObjectID, DestinationObjectIDType, IgnoreDigits, PlayWhat, Reprompts, RepromptDelay, "
                              "TimeExpires, StreamPath) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
    m_contactRule = prepare("INSERT INTO ContactRule (ContactRuleObjectID, ParentObjectID, Alias, Action, TransferType, "
                            "TransferRings, Extension, TimeExpires, SwitchID, PlayWhat, RNAAction) "
                            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
    m_extension = prepare("INSERT INTO DTMFAccessID (DTMFAccessObjectID, DTMFAccessID, ParentObjectID, ParentObjectIDType, "
                          "IsPrimaryID) VALUES (?1, ?2, ?3, ?4, ?5)");
    m_subscriber = prepare("INSERT INTO Subscriber (SubscriberObjectID, Alias, DisplayName, FirstName, LastName, SubscriberType, "
                           "DirectoryID, COSObjectID, HomeServer, switchid, ExitAction, ExitConversation, ExitObjectID, "
                           "ExitObjectIDType, LocationObjectID) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
                           "?14, ?15)");
    m_globalSubscriber = prepare("INSERT INTO GlobalSubscriber (SubscriberObjectID, Alias, DisplayName, LocationObjectID) "
                                 "VALUES (?1, ?2, ?3, ?4)");
    m_question = prepare("INSERT INTO InterviewQuestion (InterviewQuestionObjectID, ParentObjectID, ParentObjectIDType, "
                         "ParentAlias, Alias, StreamText, StreamPath, MaxMsgLength, UID) "
                         "VALUES (?1, ?2, 5, ?3, ?4, ?5, ?6, ?7, ?8)");
}

SiteBuilder::~SiteBuilder() = default;

void SiteBuilder::commit()
{
    m_callHandler.reset();
    m_menuEntry.reset();
    m_messagingRule.reset();
    m_contactRule.reset();
    m_extension.reset();
    m_subscriber.reset();
    m_globalSubscriber.reset();
    m_question.reset();
    for (const QString& create : std::as_const(m_droppedIndexes))
        m_db.exec(create);
    m_db.exec(QStringLiteral("COMMIT"));
    m_db.exec(QStringLiteral("ANALYZE; PRAGMA journal_mode = DELETE;"));
}

QString SiteBuilder::newId()
{
    const quint64 a = m_rng();
    const quint64 b = m_rng();
    return QStringLiteral("{%1-%2-%3-%4-%5}")
        .arg(a >> 32, 8, 16, QLatin1Char('0'))
        .arg((a >> 16) & 0xFFFF, 4, 16, QLatin1Char('0'))
        .arg(a & 0xFFFF, 4, 16, QLatin1Char('0'))
        .arg(b >> 48, 4, 16, QLatin1Char('0'))
        .arg(b & 0xFFFFFFFFFFFFull, 12, 16, QLatin1Char('0'))
        .toUpper();
}

void SiteBuilder::addExtension(const QString& digits, const QString& parentId, int parentType, bool primary)
{
    run(*m_extension, {newId(), digits, parentId, parentType, primary ? 1 : 0});
}

void SiteBuilder::addLocation(const QString& id, const QString& alias, const QString& name, bool local, const QString& domain)
{
    m_db.execute(QStringLiteral("INSERT INTO Location (LocationObjectID, Alias, TextName, UnDeletable, "
                                "DialingDomainName) VALUES (?1, ?2, ?3, ?4, ?5)"),
                 {id, alias, name, local ? 1 : 0, textOrNull(domain)});
    m_db.execute(QStringLiteral("INSERT INTO GlobalLocation (LocationObjectID, TextName, DialingDomainName) "
                                "VALUES (?1, ?2, ?3)"),
                 {id, name, textOrNull(domain)});
}

QString SiteBuilder::addCos(const QString& name)
{
    const QString id = newId();
    m_db.execute(QStringLiteral("INSERT INTO COS (COSObjectID, TextName) VALUES (?1, ?2)"), {id, name});
    return id;
}

void SiteBuilder::addSchedule(const QString& name, int ignoreHolidays, const std::array<QByteArray, 7>& days)
{
    std::vector<Variant> values{newId(), name, ignoreHolidays};
    for (const QByteArray& day : days)
        values.emplace_back(day);
    m_db.execute(QStringLiteral("INSERT INTO Schedule (ScheduleObjectID, DisplayName, IgnoreHolidays, Monday, "
                                "Tuesday, Wednesday, Thursday, Friday, Saturday, Sunday) "
                                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"),
                 values);
}

void SiteBuilder::addDistributionList(const QString& id, const QString& alias, const QString& name, const QString& extension)
{
    m_db.execute(QStringLiteral("INSERT INTO DistributionList (SystemDListObjectID, Alias, DisplayName) "
                                "VALUES (?1, ?2, ?3)"),
                 {id, alias, name});
    if (!extension.isEmpty())
        addExtension(extension, id, 2, true);
}

void SiteBuilder::addSubscriber(const Subscriber& s, const QStringList& extensions)
{
    const QString displayName = s.firstName + QLatin1Char(' ') + s.lastName;
    Statement& st = *m_subscriber;
    st.bindAll({s.id, s.alias, displayName, s.firstName, s.lastName, s.type, textOrNull(s.directoryId), textOrNull(s.cosId),
                s.homeServer, s.switchId});
    s.exit.bindTo(st, 11);
    st.bind(15, textOrNull(s.locationId));
    step(st);
    run(*m_globalSubscriber, {s.id, s.alias, displayName, textOrNull(s.locationId)});
    for (int i = 0; i < extensions.size(); ++i)
        addExtension(extensions[i], s.id, 1, i == 0);
}

void SiteBuilder::addHandler(const Handler& h)
{
    const QString alternateRuleId = newId();
    Statement& st = *m_callHandler;
    st.bindAll({h.id, h.alias, h.textName, h.primary ? 1 : 0, textOrNull(h.owner.id), numberOrNull(h.owner.type, h.owner.type != 0),
                textOrNull(h.recipient.id), numberOrNull(h.recipient.type, h.recipient.type != 0)});
    h.afterMessage.bindTo(st, 9);
    st.bind(13, h.maxMsgLen);
    st.bind(14, h.editMsg);
    st.bind(15, h.sendUrgent);
    st.bind(16, textOrNull(h.schedule));
    st.bind(17, numberOrNull(h.language, h.language != 0));
    st.bind(18, h.oneKeyDelay);
    st.bind(19, h.undeletable);
    st.bind(20, textOrNull(h.locationId));
    st.bind(21, alternateRuleId);
    step(st);

    for (int k = 0; k < 12; ++k) {
        Statement& me = *m_menuEntry;
        me.bindAll({newId(), h.id, kKeyAliases[k]});
        h.keys[k].bindTo(me, 4);
        me.bind(8, h.locked[k] ? 1 : 0);
        step(me);
    }
    for (int g = 0; g < 6; ++g) {
        const Greeting& greeting = h.greetings[g];
        Statement& mr = *m_messagingRule;
        mr.bindAll({newId(), h.id, kGreetingAliases[g]});
        greeting.after.bindTo(mr, 4);
        mr.bind(8, greeting.ignoreDigits);
        mr.bind(9, greeting.playWhat);
        mr.bind(10, greeting.reprompts);
        mr.bind(11, 2);
        mr.bind(12, greeting.enabled ? Variant::null() : Variant(kDisabled));
        mr.bind(13, textOrNull(greeting.streamPath));
        step(mr);
    }
    for (int t = 0; t < 3; ++t) {
        const Transfer& transfer = h.transfers[t];
        run(*m_contactRule,
            {t == TransferAlternate ? alternateRuleId : newId(), h.id, kTransferAliases[t], transfer.action, transfer.transferType,
             transfer.rings, textOrNull(transfer.extension), transfer.enabled ? Variant::null() : Variant(kDisabled), 0, 0, 0});
    }
    if (!h.primary && !h.extension.isEmpty())
        addExtension(h.extension, h.id, 3, true);
}

void SiteBuilder::addInterviewHandler(const InterviewHandler& ih)
{
    std::vector<Variant> values{ih.id,
                                ih.alias,
                                ih.textName,
                                numberOrNull(ih.language, ih.language != 0),
                                textOrNull(ih.owner.id),
                                numberOrNull(ih.owner.type, ih.owner.type != 0),
                                textOrNull(ih.recipient.id),
                                numberOrNull(ih.recipient.type, ih.recipient.type != 0),
                                ih.afterMessage.action,
                                textOrNull(ih.afterMessage.conversation),
                                textOrNull(ih.afterMessage.objectId),
                                numberOrNull(ih.afterMessage.objectType, ih.afterMessage.objectType != 0),
                                textOrNull(ih.locationId),
                                ih.undeletable};
    m_db.execute(QStringLiteral("INSERT INTO InterviewHandler (InterviewHandlerObjectID, Alias, TextName, Language, "
                                "AdministratorObjectID, AdministratorObjectIDType, RecipientObjectID, "
                                "RecipientObjectIDType, AfterMessageAction, AfterMessageConversation, "
                                "AfterMessageObjectID, AfterMessageObjectIDType, LocationObjectID, Undeletable) "
                                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)"),
                 values);
    if (!ih.extension.isEmpty())
        addExtension(ih.extension, ih.id, 5, true);
}

void SiteBuilder::addQuestion(const InterviewHandler& ih, int place, const QString& text, const QString& streamPath, int maxLength)
{
    run(*m_question, {newId(), ih.id, ih.alias, place, text, textOrNull(streamPath), maxLength, ++m_lastUid});
}

void SiteBuilder::addDirectoryHandler(const DirectoryHandler& d)
{
    Statement st(m_db, QStringLiteral("INSERT INTO NameLookupHandler (NameLookupHandlerObjectID, Alias, TextName, Language, "
                                      "ApplicationObjectID, SearchScope, SearchScopeObjectID, StartDialDelay, EndDialDelay, "
                                      "MaxMatches, Tries, MenuStyle, SayExtension, SearchByFirstName, UseStarToExit, "
                                      "LocationObjectID, AdministratorObjectID, AdministratorObjectIDType, UID, Undeletable, "
                                      "ExitAction, ExitConversation, ExitObjectID, ExitObjectIDType, NoInputAction, "
                                      "NoInputConversation, NoInputObjectID, NoInputObjectIDType, NoSelectionAction, "
                                      "NoSelectionConversation, NoSelectionObjectID, NoSelectionObjectIDType, ZeroAction, "
                                      "ZeroConversation, ZeroObjectID, ZeroObjectIDType) VALUES (?1, ?2, ?3, ?4, ?5, ?6, "
                                      "?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, 0, ?20, ?21, ?22, ?23, "
                                      "?24, ?25, ?26, ?27, ?28, ?29, ?30, ?31, ?32, ?33, ?34, ?35)"));
    st.bindAll({d.id, d.alias, d.textName, numberOrNull(d.language, d.language != 0), textOrNull(d.applicationId), d.searchScope,
                textOrNull(d.searchScopeId), d.startDialDelay, d.endDialDelay, d.maxMatches, d.tries, d.menuStyle, d.sayExtension,
                d.searchByFirstName, d.useStarToExit, textOrNull(d.locationId), textOrNull(d.owner.id),
                numberOrNull(d.owner.type, d.owner.type != 0), d.alias});
    d.exit.bindTo(st, 20);
    d.noInput.bindTo(st, 24);
    d.noSelection.bindTo(st, 28);
    d.zero.bindTo(st, 32);
    step(st);
    if (!d.extension.isEmpty())
        addExtension(d.extension, d.id, 6, true);
}

std::unique_ptr<Statement> SiteBuilder::prepare(const char* sql)
{
    return std::make_unique<Statement>(m_db, QString::fromUtf8(sql));
}

void SiteBuilder::step(Statement& st)
{
    st.step();
    st.reset();
}

void SiteBuilder::run(Statement& st, const std::vector<Variant>& values)
{
    st.bindAll(values);
    step(st);
}

int fileNumber(SiteBuilder& b)
{
    return 10000 + b.random(90000);
}

QString greetingFile(const QString& handlerAlias, int greeting, int number)
{
    return QStringLiteral("mr_%1_%2_%3.wav").arg(handlerAlias, kGreetingAliases[greeting]).arg(number);
}

Handler baseHandler(SiteBuilder& b, const QString& alias, const QString& name, const QString& locationId)
{
    Handler h;
    h.id = b.newId();
    h.alias = alias;
    h.textName = name;
    h.locationId = locationId;
    h.schedule = QStringLiteral("All Hours");
    h.keys.fill(Link::ignore());
    h.keys[kPound] = Link::skipGreeting();
    h.greetings[Standard].playWhat = 1;
    h.greetings[Standard].streamPath = greetingFile(alias, Standard, fileNumber(b));
    h.greetings[Alternate].enabled = false;
    h.greetings[Internal].enabled = false;
    h.greetings[Busy].enabled = false;
    h.transfers[TransferAlternate].enabled = false;
    return h;
}

Handler subscribersOwnHandler(SiteBuilder& b, const Subscriber& s, const QString& handlerId, const QString& locationId,
                              const QString& goodbye, const QString& keyZeroTarget, const QString& extension)
{
    Handler h = baseHandler(b, s.alias + QStringLiteral("_ch"), s.firstName + QLatin1Char(' ') + s.lastName, locationId);
    h.id = handlerId;
    h.primary = true;
    h.owner = h.recipient = Owner{s.id, 1};
    h.afterMessage = Link::greeting(goodbye);
    h.schedule = QStringLiteral("All Hours");
    h.keys[0] = Link::transfer(keyZeroTarget);
    h.keys[kStar] = Link::signIn();
    for (Transfer& t : h.transfers) {
        t.action = 1;
        t.extension = extension;
    }
    return h;
}

} // namespace SiteWriting
