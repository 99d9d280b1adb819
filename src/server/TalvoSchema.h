#pragma once

class SqliteDb;

// Creates the configuration database of the stand-in server: its tables, indexes, views and the
// triggers that let the written views reach their tables. The database must be empty.
//
// Conventions the program relies on:
// - Ids are braced upper-case GUID texts compared without regard to case; every key column makes
//   its own id when an insert leaves it out.
// - Aliases and names compare without regard to case, as the server's collation does; conversation
//   names and extension digits compare exactly ('007' is not '7').
// - Flags are stored as 1/0, numbers as integers; TimeExpires is declared DATETIME and holds
//   "yyyy-MM-dd HH:mm:ss" local time.
// - Every table counts its inserts, updates and deletes in TableChanges, so a reader can tell
//   which tables changed since it read them.
// - An object's extension is its row in DTMFAccessID with IsPrimaryID 1; a subscriber's own call
//   handler (IsPrimary 1) shows the subscriber's extension.
void createTalvoSchema(SqliteDb& db);
