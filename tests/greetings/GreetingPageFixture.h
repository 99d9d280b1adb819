#pragma once

#include "fixtures/PaneFixture.h"
#include "widgets/SonotropeCtrl.h"

#include <QTabWidget>
#include <vector>

// The program on the demo site for the greeting and transfer-rule tests: a handler's greetings
// and rules changed with their values bound, and the call handler page of the sales handler with
// its greetings in front.
class GreetingPageFixture : public PaneFixture {
public:
    // Sets columns of one greeting (one rule) of a handler: `assignments` such as
    // "TimeExpires = ?, Action = 1", each "?" taking the next of `values`.
    void setGreeting(const QString& handler, const QString& greeting, const QString& assignments,
                     const std::vector<Variant>& values = {}) const
    {
        setRow("MessagingRule", handler, greeting, assignments, values);
    }
    void setRule(const QString& handler, const QString& rule, const QString& assignments,
                 const std::vector<Variant>& values = {}) const
    {
        setRow("ContactRule", handler, rule, assignments, values);
    }

    // Starts the program on the sales handler's greetings tab. Its Busy greeting names its file
    // with a folder in front, which the page drops.
    void startOnSalesGreetings()
    {
        setGreeting("salesch", "Busy", "StreamPath = ?", {QString("sub\\mr_salesch_Busy_1.wav")});
        start();
        control<QTabWidget>("tabHandlerInfo")->setCurrentIndex(2);
        show("salesch");
        player = control<SonotropeCtrl>("SotrHandlerGreeting");
        greetingTabs = control<QTabWidget>("tabHandlerGreetingInfo");
    }

    SonotropeCtrl* player = nullptr;
    QTabWidget* greetingTabs = nullptr;

private:
    void setRow(const char* table, const QString& handler, const QString& alias, const QString& assignments,
                std::vector<Variant> values) const
    {
        values.emplace_back(alias);
        exec(QString("UPDATE %1 SET %2 WHERE ParentObjectID = $H AND Alias = ?").arg(table, assignments), handler, values);
    }
};
