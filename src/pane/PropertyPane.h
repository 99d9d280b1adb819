#pragma once

#include "pane/PaneOperations.h"

#include <QTabWidget>
#include <array>

class QFrame;
class QGroupBox;
class QLineEdit;
class SharedState;

// The tabbed property pane `tabInfoTab`: one tab per kind of object, whose page shows the
// selected object.
class PropertyPane : public QTabWidget, public PaneOperations {
    Q_OBJECT
public:
    explicit PropertyPane(SharedState& state, QWidget* parent = nullptr);

    void PopulateControls() override;
    void LoadTabInfo(const QString& strObjectID, qint16 iObjectType) override;
    void ShowDirectoryHandlerTabs() override;
    void CreateMediaControl(MediaControl which) override;
    SonotropeCtrl* mediaControl(MediaControl which) const override;

private:
    SharedState& m_state;
    std::array<QFrame*, 4> frameMainTab{};
    QTabWidget* tabDirectoryHandlerInfo;
    QLineEdit* txtLeafAction;
    std::array<QGroupBox*, MediaControlCount> m_mediaFrames{};
    std::array<SonotropeCtrl*, MediaControlCount> m_mediaControls{};
};
