#include "greetings/InterviewQuestionSave.h"

#include "data/ChangeLog.h"
#include "data/SharedState.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "pane/PaneControls.h"
#include "runtime/ErrorHandling.h"

#include <QHash>
#include <QTableWidget>

namespace {

const QString kErrorPrefix = QStringLiteral("Error in UpdateInterviewQuestions:");

QString cellText(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

// An answer limit is a number of seconds; a text that is none is stored as it stands.
Variant limitValue(const QString& text)
{
    bool ok = false;
    const qint64 seconds = text.trimmed().toLongLong(&ok);
    return ok ? Variant(seconds) : (text.isEmpty() ? Variant::null() : Variant(text));
}

// One stored question and its place among the handler's questions (equal places share a rank).
struct StoredQuestion {
    Variant text;
    Variant limit;
    Variant path;
    qint64 rank = 0;
};

// The list's cells as its load fills them from the stored values.
QString shownText(const Variant& stored)
{
    return stored.textOrEmpty();
}

QString shownLimit(const Variant& stored)
{
    const QString text = stored.textOrEmpty();
    return text.isEmpty() ? QString::fromLatin1(QuestionDefaultAnswerLimit) : text;
}

bool showsAsStored(const ShownQuestion& shown, const StoredQuestion& stored)
{
    return shown.text == shownText(stored.text) && shown.limit == shownLimit(stored.limit) && shown.path == shownText(stored.path);
}

struct Written {
    Variant text;
    Variant limit;
    Variant path;
    QString id;
};

} // namespace

InterviewQuestionSave::InterviewQuestionSave(SharedState& state)
    : m_state(state)
{
}

ShownQuestions InterviewQuestionSave::shown(const QTableWidget& grid)
{
    ShownQuestions rows;
    rows.reserve(size_t(grid.rowCount()));
    for (int r = 0; r < grid.rowCount(); ++r)
        rows.push_back({cellText(grid, r, QuestionColumn::ObjectID), cellText(grid, r, QuestionColumn::Question),
                        cellText(grid, r, QuestionColumn::AnswerLimit), cellText(grid, r, QuestionColumn::StreamPath)});
    return rows;
}

bool InterviewQuestionSave::updateInterviewQuestions(const QString& interviewHandlerId, QTableWidget& grid,
                                                     const ShownQuestions& before)
{
    const QString listOwner = grid.property(QuestionListOwnerProperty).toString();
    if (interviewHandlerId.isEmpty() || listOwner.compare(interviewHandlerId, Qt::CaseInsensitive) != 0) {
        m_state.prompts.msgBox(kErrorPrefix + QStringLiteral("the question list shown is not that of interview handler ")
                               + interviewHandlerId);
        return false;
    }

    const ShownQuestions questions = shown(grid);
    std::vector<Written> written(questions.size());
    QString handlerAlias;
    const bool stored = runStep(m_state.prompts, kErrorPrefix, [&] {
        Recordset& rs = m_state.cache.rsInterviewQuestion;
        std::shared_ptr<Connection> connection = rs.activeConnection();
        if (!connection)
            throw RuntimeError(ErrorNumber::NoCurrentRecord, QStringLiteral("The question list is not open."));
        SqliteDb& db = connection->db();
        const Variant alias = db.scalar(QStringLiteral("SELECT Alias FROM InterviewHandler WHERE InterviewHandlerObjectID = ?1"),
                                        {interviewHandlerId});
        if (alias.isNull())
            throw RuntimeError(ErrorNumber::NoCurrentRecord,
                               QStringLiteral("could not find interviewer object id:") + interviewHandlerId);
        handlerAlias = alias.toText();

        ScopedTransaction transaction(*connection);
        // What is replaced must be what the list showed: the same questions, as shown, in order.
        const QueryResult rows = runQuery(db,
                                          QStringLiteral("SELECT InterviewQuestionObjectID, StreamText, MaxMsgLength, StreamPath, "
                                                         "rank() OVER (ORDER BY Alias) FROM InterviewQuestion "
                                                         "WHERE ParentObjectID = ?1"),
                                          {interviewHandlerId});
        QHash<QString, StoredQuestion> storedById;
        for (const std::vector<Variant>& row : rows.rows)
            storedById.insert(row[0].textOrEmpty().toCaseFolded(), {row[1], row[2], row[3], row[4].toInt64()});
        if (rows.rows.size() != before.size())
            rowCannotBeLocated();
        QHash<QString, StoredQuestion> unmatched = storedById;
        qint64 lastRank = 0;
        for (const ShownQuestion& shownBefore : before) {
            const auto found = unmatched.constFind(shownBefore.id.toCaseFolded());
            if (found == unmatched.cend() || !showsAsStored(shownBefore, *found) || found->rank < lastRank)
                rowCannotBeLocated();
            lastRank = found->rank;
            unmatched.erase(found);
        }

        db.execute(QStringLiteral("DELETE FROM InterviewQuestion WHERE ParentObjectID = ?1"), {interviewHandlerId});
        // Numbers compare as numbers: 10 follows 9.
        qint64 last = db.scalar(QStringLiteral("SELECT coalesce(max(CAST(UID AS INTEGER)), 0) FROM InterviewQuestion")).toInt64();
        for (size_t i = 0; i < questions.size(); ++i) {
            const ShownQuestion& q = questions[i];
            Written& w = written[i];
            const auto was = q.id.isEmpty() ? storedById.cend() : storedById.constFind(q.id.toCaseFolded());
            const bool known = was != storedById.cend();
            w.text = known && q.text == shownText(was->text) ? was->text : Variant(q.text.left(MaxQuestionLength));
            w.limit = known && q.limit == shownLimit(was->limit) ? was->limit : limitValue(q.limit);
            w.path = known && q.path == shownText(was->path) ? was->path : Variant(q.path);
            db.execute(QStringLiteral("INSERT INTO InterviewQuestion (StreamText, StreamPath, Alias, ParentObjectID, "
                                      "ParentObjectIDType, ParentAlias, MaxMsgLength, UID) VALUES (?1, ?2, ?3, ?4, 5, ?5, ?6, ?7)"),
                       {w.text, w.path, qint64(i + 1), interviewHandlerId, handlerAlias, w.limit, ++last});
            const QueryResult back = runQuery(db, QStringLiteral("SELECT InterviewQuestionObjectID, MaxMsgLength FROM "
                                                                 "InterviewQuestion WHERE rowid = last_insert_rowid()"));
            w.id = back.rows.at(0).at(0).toText();
            w.limit = back.rows.at(0).at(1);
        }
        transaction.commit();
    });
    if (!stored)
        return false;

    for (size_t i = 0; i < written.size(); ++i) {
        const Written& w = written[i];
        logInterviewQuestion(m_state.changeLog, handlerAlias, QString::number(i + 1), w.path, w.text, w.limit);
        if (QTableWidgetItem* cell = grid.item(int(i), QuestionColumn::ObjectID))
            cell->setText(w.id);
        else
            grid.setItem(int(i), QuestionColumn::ObjectID, new QTableWidgetItem(w.id));
    }
    runStep(m_state.prompts, kErrorPrefix, [&] { m_state.cache.rsInterviewQuestion.requery(); });
    return true;
}
