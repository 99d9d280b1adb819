// The profile editors reach the pane through the operations it offers.
#include "pane/PaneOperations.h"
