#include "core/TextForms.h"

#include <cstdio>
#include <cstring>

int main()
{
    const std::string text = quorvil::NumberToText(3, quorvil::DmsToDeg(30.3L));
    std::printf("%s\n", text.c_str());
    return text == "30.500" ? 0 : 1;
}
