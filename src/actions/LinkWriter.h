#pragma once

#include "actions/ChosenLink.h"
#include "actions/LinkRefresh.h"

#include <QString>
#include <optional>

struct LinkColumns;
class Recordset;
class SharedState;

// Stores one link (action, conversation, destination and its type) where its selector says, logs
// it and has the tree and the pane follow. The row is found by the link's ids, never taken from
// whatever row a shared recordset stands on.
class LinkWriter {
public:
    LinkWriter(SharedState& state, LinkRefresh& refresh);

    // An empty conversation or destination stores Null, "skip" (any case) keeps the destination,
    // a negative action or type keeps that column. A failure shows its message once and stops:
    // nothing is logged or redrawn for a link that was not stored. A caller whose own work stands
    // although the link failed gives the line that says so (notStored): it ends that message, and
    // no failure passes silently then.
    void linkProcessLinkInfo(const ChosenLink& link, const QString& strObjectID, const QString& strConversation, qint16 iAction,
                             qint16 iKeyType, bool bIsPrimary = false, const QString& notStored = QString());

private:
    // On a refusal, `stored` is what the row holds now, read again by the refused update.
    void write(LinkPlace place, const LinkColumns& columns, Recordset& rs, const QString& parentAlias, const QString& strObjectID,
               const QString& strConversation, qint16 iAction, qint16 iKeyType, std::optional<LinkAsStored>& stored);

    SharedState& m_state;
    LinkRefresh& m_refresh;
};
