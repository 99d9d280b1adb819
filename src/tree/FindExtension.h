#pragma once

#include <QObject>
#include <QString>

class QAction;
class SharedState;

// Extensions > "Find extension in database": asks for an extension and reports every object of
// the dialing domain that uses it, each with its kind and display name.
class FindExtension : public QObject {
public:
    explicit FindExtension(SharedState& state, QObject* parent = nullptr);

    // The Extensions menu item `mnuFindExtension`.
    void connectTo(QAction* mnuFindExtension);

    void mnuFindExtension_Click();

    // The search, with the extension bound as ?1: the view without primary handlers from server
    // 4.0(2.120) on, the call handler view with the primary ones left out below it.
    static QString query(bool nonPrimaryView);

private:
    SharedState& m_state;
};
