#include "shell/middleMan.h"

MiddleMan* MiddleMan::Get()
{
    static MiddleMan* instance = new MiddleMan;
    return instance;
}
