// Native entry: a blank fake machine stands in for Windows.
#include "platform/fake/fake_world.h"
#include "tools/cli/cli.h"

int main(int argc, char** argv) {
    static FakeWorld world;
    platform_install(world.platform());
    return cli_run(std::vector<std::string>(argv + 1, argv + argc));
}
