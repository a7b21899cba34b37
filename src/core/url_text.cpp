#include "core/url_text.h"
