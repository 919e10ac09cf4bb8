#include "runtime/base/Console.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>

namespace Console {

int SwitchToBinaryMode()
{
    termios attributes;
    int result = tcgetattr(STDIN_FILENO, &attributes);
    if (result != 0) {
        std::cerr << "can't obtain terminal attributes" << std::endl;
        return result;
    }
    attributes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOPRT | ECHOCTL);
    result = tcsetattr(STDIN_FILENO, TCSADRAIN, &attributes);
    if (result != 0)
        std::cerr << "can't set terminal attributes" << std::endl;
    return result;
}

int SwitchToNonBlockMode()
{
    int on = 1;
    int const result = ioctl(STDIN_FILENO, FIONBIO, &on);
    if (result != 0)
        std::cerr << "can't switch terminal to blocked mode" << std::endl;
    return result;
}

} // namespace Console
