#include <QString>
#include "model/record.h"
