#include "store/Category.h"

CCategory::~CCategory() = default;
