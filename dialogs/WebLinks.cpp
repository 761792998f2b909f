#include "dialogs/WebLinks.h"

const WebLinks &WebLinks::Instance()
{
    static const WebLinks links;
    return links;
}
