// The profile editors do not link the action editing's library: its headers are out of reach.
#include "actions/LinkWriter.h"
