#include "core/ServerProcess.h"

int main(int argc, char** argv)
{
    ServerProcess server;
    return server.run(argc, argv);
}
