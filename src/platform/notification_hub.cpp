#include "platform/notification_hub.h"
