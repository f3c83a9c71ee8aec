// Joins every module into the engine: the search pipeline's source table, the indexers, the
// action services and the portable view hooks. The launcher and kestrune-cli both call it at
// start-up, before the options load (modules install option hooks), so the CLI's rows are the
// launcher's rows.
#pragma once

// Safe to call more than once (each module's join only fills its own entries).
void wiring_join_all();
