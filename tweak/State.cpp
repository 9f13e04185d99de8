#include "tweak/State.h"

BOOL isLocked = YES;
BOOL reachavilityDisabled = YES;
BOOL disableActions = NO;
BOOL disabled = NO;

id deviceMotionTimer = nil;
id disableMotionDetector = nil;
id disableMotionDetector2 = nil;

long long motionType = 5;
float rollingX = 0.0f;
float rollingY = 0.0f;
float rollingZ = 0.0f;
