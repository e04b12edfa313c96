#include "ConvertSupport.h"

#include <gtest/gtest.h>
