// bridge.cpp -- C entry points implemented in C++
#include <string>
#include "bridge.h"

static std::string last_message;

extern "C" {

int bridge_init(void)
{
    last_message.clear();
    return 0;
}

const char *bridge_message(void)
{
    return last_message.c_str();
}

}  // extern "C"

extern "C" int bridge_version(void)
{
    return 3;
}

void set_message(const std::string& m)
{
    last_message = m;
}
