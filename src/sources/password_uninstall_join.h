// Joins the password and uninstall tools to the engine: the uninstall actions' services, and the
// tool rows for the search pipeline.
#pragma once

void password_uninstall_join();
