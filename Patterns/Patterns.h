// The whole pattern family in one include: calculators, operators, interpolators.
#pragma once

#include "Patterns/BinOp.h"
#include "Patterns/Interpolator.h"
#include "Patterns/PatternCalculator.h"
#include "Patterns/PatternCheckered.h"
#include "Patterns/PatternEnv.h"
#include "Patterns/PatternFractal.h"
#include "Patterns/PatternNetwork.h"
#include "Patterns/PatternNoise.h"
#include "Patterns/PatternPlasma.h"
#include "Patterns/PatternProgram.h"
#include "Patterns/PatternSin.h"
#include "Patterns/seVectorStack.h"
