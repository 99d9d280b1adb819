#pragma once

#include "tree/TreeOperations.h"

#include <QGroupBox>

class QLabel;
class QTableWidget;
class SharedState;

// The references panel `frameLinks`: the subscribers and the call handlers that send callers to
// the selected object.
class ReferencesPanel : public QGroupBox, public ReferencesOperations {
    Q_OBJECT
public:
    explicit ReferencesPanel(SharedState& state, QWidget* parent = nullptr);

    void ClearReferences() override;

private:
    SharedState& m_state;
    QLabel* lblSubscriberReferences;
    QTableWidget* gridSubscriberReferences;
    QLabel* lblCallHandlerReferences;
    QTableWidget* gridCallHandlerReferences;
};
