#pragma once

#include <QStringList>
#include <QTabWidget>
#include <vector>

class QFrame;

// A tab control whose first tabs each carry one frame of a control array (`frameHandlerInfo`(0)
// on tab 0, ...). The frames fill their tabs; what shows is decided by the tab control's Click
// handler, which walks the frames as the pane's handlers do.
class FramedTabs : public QTabWidget {
    Q_OBJECT
public:
    // Tabs beyond framedTabs carry no frame; their page is extraPage(tab).
    FramedTabs(const char* name, const char* frameName, const QStringList& captions, int framedTabs, QWidget* parent = nullptr);

    QFrame* frame(int index) const { return m_frames.at(size_t(index)); }
    int frameCount() const { return int(m_frames.size()); }
    QWidget* extraPage(int tab) const { return widget(tab); }

    // The frame of the selected tab visible, every other frame invisible, walked from 0 upwards.
    void showSelectedFrame();

signals:
    // The selected tab changed, by the user or by code.
    void Click(int PreviousTab);

private:
    std::vector<QFrame*> m_frames;
    int m_previous = 0;
};
