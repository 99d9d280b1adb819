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

    // The search, with the extension bound as ?1: every object of the dialing domain that uses it.
    static QString query();

private:
    SharedState& m_state;
};
