#include "greetings/InterviewQuestionList.h"

#include "data/SharedState.h"
#include "db/RecordsetPosition.h"
#include "greetings/SoundBinding.h"
#include "pane/PaneOperations.h"
#include "runtime/ErrorHandling.h"
#include "runtime/SlotGuard.h"
#include "system/SharedFileSystem.h"
#include "widgets/PendingEvents.h"
#include "widgets/SonotropeCtrl.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <functional>
#include <utility>

namespace {

const QString kNewQuestionText = QStringLiteral("Question Text");
const QString kNewAnswerLimit = QStringLiteral("30");

// The question's text is edited in a line held to what the administrator may type, the reply
// limit chosen from the list's fixed choices. A line left as it was opened is not written back:
// a stored text longer than the line takes stays whole.
class QuestionCellDelegate : public QStyledItemDelegate {
public:
    // Told of each finished edit with the way to apply it, so that the list is known as it was.
    using Committed = std::function<void(int row, int column, const std::function<void()>& apply)>;

    QuestionCellDelegate(Committed committed, QObject* parent)
        : QStyledItemDelegate(parent),
          m_committed(std::move(committed))
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() == QuestionColumn::AnswerLimit) {
            auto* box = new QComboBox(parent);
            box->addItems(InterviewQuestionList::answerLimits());
            return box;
        }
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setMaxLength(InterviewQuestionSave::MaxQuestionLength);
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* box = qobject_cast<QComboBox*>(editor)) {
            const int at = box->findText(index.data().toString());
            box->setCurrentIndex(at >= 0 ? at : box->findText(kNewAnswerLimit));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        m_committed(index.row() + 1, index.column(), [&] {
            if (auto* box = qobject_cast<QComboBox*>(editor))
                model->setData(index, box->currentText());
            else if (auto* line = qobject_cast<QLineEdit*>(editor); !line || line->isModified())
                QStyledItemDelegate::setModelData(editor, model, index);
        });
    }

private:
    Committed m_committed;
};

} // namespace

InterviewQuestionList::InterviewQuestionList(SharedState& state, PaneOperations& pane)
    : m_state(state),
      m_pane(pane),
      m_save(state)
{
}

const QStringList& InterviewQuestionList::answerLimits()
{
    static const QStringList limits = QStringLiteral("2|3|4|5|10|15|20|25|30|35|40|45|50|55|60|65|70|75|80|85|90").split(u'|');
    return limits;
}

void InterviewQuestionList::connectInterviewerPage(const InterviewQuestionControls& controls)
{
    m_controls = controls;
    // The list tells of a selection once it has moved; a list emptied has none, and nothing is
    // bound for it.
    connectGuarded(m_state.prompts, controls.grid, &QTableWidget::currentCellChanged, this,
                   [this](int row, int column, int previousRow, int previousColumn) {
                       if (row < 0)
                           return;
                       bool cancel = false;
                       gridInterviewQuestions_BeforeSelChange(previousRow + 1, previousColumn, row + 1, column, cancel);
                   });
    UserPrompts& prompts = m_state.prompts;
    controls.grid->setItemDelegate(new QuestionCellDelegate(
        [this, &prompts](int row, int column, const std::function<void()>& apply) {
            guarded(prompts, [&] {
                const QScopedValueRollback<bool> committing(m_committingEdit, true);
                m_beforeEdit = InterviewQuestionSave::shown(*m_controls.grid);
                apply();
                gridInterviewQuestions_AfterEdit(row, column);
            });
        },
        controls.grid));
    controls.grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                   | QAbstractItemView::AnyKeyPressed);
    connectGuarded(prompts, controls.add, &QAbstractButton::clicked, this, [this] { cmdInterviewQuestionsAdd_Click(); });
    connectGuarded(prompts, controls.remove, &QAbstractButton::clicked, this, [this] { cmdInterviewQuestionsDelete_Click(); });
    connectGuarded(prompts, controls.moveUp, &QAbstractButton::clicked, this, [this] { cmdInterviewQuestionsMoveUp_Click(); });
    connectGuarded(prompts, controls.moveDown, &QAbstractButton::clicked, this, [this] { cmdInterviewQuestionsMoveDown_Click(); });
}

void InterviewQuestionList::save(const ShownQuestions& before)
{
    const QString owner = m_controls.grid->property(QuestionListOwnerProperty).toString();
    if (m_save.updateInterviewQuestions(owner, *m_controls.grid, before) || owner.isEmpty())
        return;
    // Nothing was stored: the list shows what the database holds, the change just made is gone.
    if (!m_committingEdit) {
        readAgain(owner);
        return;
    }
    // The editor that took the edit still belongs to its row: the list is read once it has closed,
    // unless another handler's list has been loaded meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, owner] {
            guarded(m_state.prompts, [&] {
                if (m_controls.grid->property(QuestionListOwnerProperty).toString() == owner)
                    readAgain(owner);
            });
        },
        Qt::QueuedConnection);
}

void InterviewQuestionList::readAgain(const QString& owner)
{
    runStepSilently([&] { m_state.cache.rsInterviewQuestion.requery(); });
    if (m_pane.ShownInterviewHandlerID().compare(owner, Qt::CaseInsensitive) == 0)
        m_pane.ReloadInterviewQuestions();
}

ShownQuestions InterviewQuestionList::shownNow() const
{
    return InterviewQuestionSave::shown(*m_controls.grid);
}

void InterviewQuestionList::selectQuestion(int row)
{
    m_controls.grid->setCurrentCell(row - 1, QuestionColumn::Question);
}

QString InterviewQuestionList::newQuestionFile(int row) const
{
    Recordset& ih = m_state.cache.rsInterviewHandler;
    const QString handlerId = m_controls.grid->property(QuestionListOwnerProperty).toString();
    QString alias;
    {
        RecordsetPosition back(ih, QStringLiteral("InterviewHandlerObjectID"));
        ih.moveFirst();
        if (ih.find(QStringLiteral("InterviewHandlerObjectID"), handlerId))
            alias = ih.field(QStringLiteral("Alias")).textOrEmpty();
        back.restoreQuietly();
    }
    // The alias becomes part of a file name: it must not name a folder.
    alias.replace(u'\\', u'_').replace(u'/', u'_');

    auto taken = [&](const QString& name) {
        for (int r = 0; r < m_controls.grid->rowCount(); ++r) {
            const QTableWidgetItem* cell = m_controls.grid->item(r, QuestionColumn::StreamPath);
            if (cell && cell->text().compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        return m_state.fileSystem.FileExists(localPathFromStored(m_state.StreamFilesPath + name, QString()));
    };
    QString name;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const int draw = int(m_state.random.generateDouble() * 100000);
        name = QStringLiteral("iq_%1_%2_%3.wav").arg(alias).arg(row).arg(draw);
        if (!taken(name))
            break;
    }
    return name;
}

void InterviewQuestionList::cmdInterviewQuestionsAdd_Click()
{
    const InterviewQuestionControls& c = m_controls;
    c.remove->setEnabled(true);
    c.record->setEnabled(true);
    QTableWidget* grid = c.grid;
    const ShownQuestions before = shownNow();
    const int row = grid->rowCount();
    const QString file = newQuestionFile(row + 1);
    grid->insertRow(row);
    grid->setItem(row, QuestionColumn::Label, new QTableWidgetItem(QStringLiteral("New Question")));
    grid->setItem(row, QuestionColumn::Question, new QTableWidgetItem(kNewQuestionText));
    grid->setItem(row, QuestionColumn::AnswerLimit, new QTableWidgetItem(kNewAnswerLimit));
    grid->setItem(row, QuestionColumn::ObjectID, new QTableWidgetItem(QString()));
    grid->setItem(row, QuestionColumn::StreamPath, new QTableWidgetItem(file));
    selectQuestion(row + 1);
    save(before);
}

void InterviewQuestionList::cmdInterviewQuestionsDelete_Click()
{
    const InterviewQuestionControls& c = m_controls;
    const int r = c.grid->currentRow() + 1;
    if (r < 1)
        return;
    const ShownQuestions before = shownNow();
    c.grid->removeRow(r - 1);
    const int left = c.grid->rowCount();
    if (left == 0) {
        for (QAbstractButton* b : {c.remove, c.moveDown, c.moveUp, c.record})
            b->setEnabled(false);
        return;
    }
    if (left == 1)
        for (QAbstractButton* b : {c.moveDown, c.moveUp, c.remove})
            b->setEnabled(false);
    selectQuestion(r == 1 ? 1 : r - 1);
    save(before);
}

void InterviewQuestionList::moveSelected(int by)
{
    QTableWidget* grid = m_controls.grid;
    const int from = grid->currentRow();
    const int to = from + by;
    if (from < 0 || to < 0 || to >= grid->rowCount())
        return;
    const ShownQuestions before = shownNow();
    for (int column = 0; column < grid->columnCount(); ++column) {
        QTableWidgetItem* moving = grid->takeItem(from, column);
        QTableWidgetItem* other = grid->takeItem(to, column);
        grid->setItem(to, column, moving);
        grid->setItem(from, column, other);
    }
    selectQuestion(to + 1);
    save(before);
}

void InterviewQuestionList::cmdInterviewQuestionsMoveUp_Click()
{
    moveSelected(-1);
}

void InterviewQuestionList::cmdInterviewQuestionsMoveDown_Click()
{
    moveSelected(1);
}

void InterviewQuestionList::gridInterviewQuestions_AfterEdit(int Row, int Col)
{
    // Without an editor that told of it, the list as it shows counts as what was read.
    const ShownQuestions before = m_beforeEdit ? *std::exchange(m_beforeEdit, std::nullopt) : shownNow();
    // A typed text is held to what may be typed; a stored text the edit left as it was is not cut.
    QTableWidgetItem* cell = m_controls.grid->item(Row - 1, QuestionColumn::Question);
    const bool typed =
        Col == QuestionColumn::Question && cell && (size_t(Row) > before.size() || before[size_t(Row - 1)].text != cell->text());
    if (typed && cell->text().size() > InterviewQuestionSave::MaxQuestionLength)
        cell->setText(cell->text().left(InterviewQuestionSave::MaxQuestionLength));
    save(before);
}

void InterviewQuestionList::gridInterviewQuestions_BeforeSelChange(int, int, int NewRowSel, int, bool&)
{
    const InterviewQuestionControls& c = m_controls;
    const int rows = c.grid->rowCount() + 1; // with the header
    c.moveUp->setEnabled(NewRowSel > 1);
    c.moveDown->setEnabled(NewRowSel < rows - 1);

    SonotropeCtrl* control = m_pane.mediaControl(PaneOperations::MediaControl::InterviewerQuestions);
    if (!control)
        return;
    SoundBindingSteps step(*control, m_state.prompts, QStringLiteral("Error in griInterviewQuestions_BeforeSelChange:"));
    step([&] { control->StopSound(); });
    letPaintEventsRun();
    if (rows < 2) {
        step([&] { control->setSoundFile(QString()); });
        control->setEnabled(false);
        c.record->setEnabled(false);
        return;
    }
    c.record->setEnabled(true);
    c.remove->setEnabled(rows > 2);

    step([&] {
        const QTableWidgetItem* cell = c.grid->item(NewRowSel - 1, QuestionColumn::StreamPath);
        const QString text = cell ? cell->text() : QString();
        // A question without a recording binds none, not the stream-files folder.
        const QString stored = text.contains(QLatin1String(":\\")) ? text : m_state.StreamFilesPath + text;
        control->setSoundFile(text.isEmpty() ? QString() : localPathFromStored(stored, QString()));
    });
    step([&] { control->setToolTip(control->SoundFile()); });
    // A list that was empty switched the control off; a question makes it usable again.
    control->setEnabled(true);
    step([&] { control->setControlActive(-1); });
    step([&] {
        letPaintEventsRun();
        control->LoadSound();
    });
}
