#include "res/Strings.h"

const char* LoadResourceString(int id)
{
    switch (id) {
    case IDS_ABOUTBOX: return "&About Vornalix...";
    default: return "";
    }
}
