#include "platform/cp1252.h"
