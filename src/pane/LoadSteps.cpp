#include "pane/LoadSteps.h"

#include "data/LinkDisplay.h"
#include "data/SharedState.h"
#include "data/StoredValues.h"
#include "environment/EnvironmentOperations.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

bool findFromFirst(Recordset& rs, const QString& column, const Variant& value)
{
    bool found = false;
    step([&] {
        if (value.isNull())
            return;
        rs.moveFirst();
        rs.find(column, value);
        found = !rs.isEOF();
    });
    return found;
}

QString languageName(const Variant& language, const QString& codeForNull, const EnvironmentOperations& environment)
{
    QString code = codeForNull;
    if (!language.isNull()) {
        bool whole = false;
        const int lcid = language.toText().trimmed().toInt(&whole);
        if (!whole)
            throwError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
        code = environment.GetLanguageCode(lcid);
    }
    return environment.GetLanguageNameFromCode(code);
}

QString ownerName(RecordsetCache& cache, qint16 kind)
{
    Recordset& rs = kind == OwnerObjectType::Subscriber ? cache.rsSubscriber : cache.rsDistributionList;
    return rs.field(QStringLiteral("DisplayName")).toText();
}

QString linkText(SharedState& state, Recordset& rs, const QString& prefix)
{
    const QString destination = rs.field(prefix + QStringLiteral("ObjectID")).textOrEmpty();
    const QString conversation = rs.field(prefix + QStringLiteral("Conversation")).textOrEmpty();
    const qint16 action = rs.field(prefix + QStringLiteral("Action")).toInt16();
    return ConstructActionString(state.cache, state.prompts, conversation, action, destination);
}

void showMessageSettings(SharedState& state, const MessageSettingsControls& controls)
{
    Recordset& ch = state.cache.rsCallHandler;
    step([&] { controls.maxMessageLength->setText(numberText(ch.field(QStringLiteral("MaxMsgLen")).toDouble())); });
    step([&] { controls.canEditMessages->setChecked(isFlagSet(ch.field(QStringLiteral("EditMsg")))); });
    step([&] {
        const Variant urgent = ch.field(QStringLiteral("SendUrgentMsg"));
        QString text = QStringLiteral("Ask Caller");
        if (!urgent.isNull() && urgent.toDouble() == 0)
            text = QStringLiteral("Never");
        else if (!urgent.isNull() && urgent.toDouble() == 1)
            text = QStringLiteral("Always");
        controls.canMarkUrgent->setCurrentIndex(controls.canMarkUrgent->findText(text));
    });
    step([&] { controls.afterMessageAction->setText(linkText(state, ch, QStringLiteral("AfterMessage"))); });
}
