#pragma once

#include "data/SharedState.h"
#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>

namespace bench {

// The program's start-up with the window shown and painted; false, with a word on standard
// error, when the recordset cache did not open.
inline bool startWindow(frmMain& window, SharedState& state)
{
    window.Form_Load(QStringList());
    window.show();
    QApplication::processEvents();
    if (state.cache.rsCallHandler.isOpen())
        return true;
    std::fprintf(stderr, "the cache did not open\n");
    return false;
}

} // namespace bench
