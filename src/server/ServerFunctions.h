#pragma once

struct sqlite3;

// Registers the server's SQL functions on a connection; every connection to the configuration
// database needs them, since the program's queries call them.
//
// fn_LocationInScope(location id, n) answers 1 when the location lies in the search scope of the
// dialing domain, else 0. The scope is the local location (the one with UnDeletable 1) and every
// GlobalLocation whose DialingDomainName equals the local location's, when the local one has a
// name (Null or "" means the server belongs to no dialing domain). Ids compare without regard to
// case. n is accepted and not used: the program always passes 1. A Null id is in no scope.
//
// Throws RuntimeError when the function cannot be registered.
void registerServerFunctions(sqlite3* db);
