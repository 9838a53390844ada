#include "Main.h"

int main(int argc, char** argv)
{
    return corvane::Main::main(argc, argv);
}
