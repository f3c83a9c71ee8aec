// One Explorer context-menu verb, as the verb thread finds it and the verb cache keeps it.
#pragma once

struct ShellVerb {
    char16_t label[128];  // at most 127 characters
    char16_t verb[128];   // the verb name, at most 127
    char16_t icon[260];   // icon file, may end with ",index"; empty when none was found
};
