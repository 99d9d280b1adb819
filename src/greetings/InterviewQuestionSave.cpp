#include "greetings/InterviewQuestionSave.h"

#include "data/ChangeLog.h"
#include "data/SharedState.h"
#include "db/Connection.h"
#include "pane/PaneControls.h"
#include "runtime/ErrorHandling.h"

#include <QTableWidget>
#include <vector>

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

// A limit typed as something other than a whole number is logged as it was typed.
Variant loggedLimit(const Variant& value)
{
    bool ok = false;
    if (!value.isNull())
        value.textOrEmpty().trimmed().toLongLong(&ok);
    return ok ? logNumber(value) : value;
}

struct Question {
    QString text;
    QString streamPath;
    Variant limit;
    QString id;
};

} // namespace

InterviewQuestionSave::InterviewQuestionSave(SharedState& state)
    : m_state(state)
{
}

bool InterviewQuestionSave::updateInterviewQuestions(const QString& interviewHandlerId, QTableWidget& grid)
{
    const QString listOwner = grid.property(QuestionListOwnerProperty).toString();
    if (interviewHandlerId.isEmpty() || listOwner.compare(interviewHandlerId, Qt::CaseInsensitive) != 0) {
        m_state.prompts.msgBox(kErrorPrefix + QStringLiteral("the question list shown is not that of interview handler ")
                               + interviewHandlerId);
        return false;
    }

    std::vector<Question> questions;
    for (int r = 0; r < grid.rowCount(); ++r)
        questions.push_back({cellText(grid, r, QuestionColumn::Question).left(MaxQuestionLength),
                             cellText(grid, r, QuestionColumn::StreamPath),
                             limitValue(cellText(grid, r, QuestionColumn::AnswerLimit)), QString()});

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
        db.execute(QStringLiteral("DELETE FROM InterviewQuestion WHERE ParentObjectID = ?1"), {interviewHandlerId});
        // Numbers compare as numbers: 10 follows 9.
        qint64 last = db.scalar(QStringLiteral("SELECT coalesce(max(CAST(UID AS INTEGER)), 0) FROM InterviewQuestion")).toInt64();
        for (size_t i = 0; i < questions.size(); ++i) {
            Question& q = questions[i];
            db.execute(QStringLiteral("INSERT INTO InterviewQuestion (StreamText, StreamPath, Alias, ParentObjectID, "
                                      "ParentObjectIDType, ParentAlias, MaxMsgLength, UID) VALUES (?1, ?2, ?3, ?4, 5, ?5, ?6, ?7)"),
                       {q.text, q.streamPath, qint64(i + 1), interviewHandlerId, handlerAlias, q.limit, ++last});
            q.id = db.scalar(QStringLiteral("SELECT InterviewQuestionObjectID FROM InterviewQuestion WHERE rowid = "
                                            "last_insert_rowid()"))
                       .toText();
            q.limit = db.scalar(QStringLiteral("SELECT MaxMsgLength FROM InterviewQuestion WHERE rowid = last_insert_rowid()"));
        }
        transaction.commit();
    });
    if (!stored)
        return false;

    const QString update = QStringLiteral("UPDATE");
    const QString table = QStringLiteral("InterviewQuestion");
    const QString parentTable = QStringLiteral("InterviewHandler");
    for (size_t i = 0; i < questions.size(); ++i) {
        const Question& q = questions[i];
        const QString alias = QString::number(i + 1);
        ChangeLog& log = m_state.changeLog;
        log.LogChange(update, table, alias, parentTable, handlerAlias, QStringLiteral("Alias"), alias);
        log.LogChange(update, table, alias, parentTable, handlerAlias, QStringLiteral("StreamPath"), q.streamPath);
        log.LogChange(update, table, alias, parentTable, handlerAlias, QStringLiteral("StreamText"), q.text);
        log.LogChange(update, table, alias, parentTable, handlerAlias, QStringLiteral("MaxMsgLength"), loggedLimit(q.limit));
        if (QTableWidgetItem* cell = grid.item(int(i), QuestionColumn::ObjectID))
            cell->setText(q.id);
        else
            grid.setItem(int(i), QuestionColumn::ObjectID, new QTableWidgetItem(q.id));
    }
    runStep(m_state.prompts, kErrorPrefix, [&] { m_state.cache.rsInterviewQuestion.requery(); });
    return true;
}
