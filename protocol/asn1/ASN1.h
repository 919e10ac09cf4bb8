#pragma once
// Everything a user of ASN.1 values needs: the value classes, the typed
// templates, the visitors and the coding entry points. Generated message
// types include this header.
#include "protocol/asn1/CoderEnv.h"
#include "protocol/asn1/constraints/ConstraintChecks.h"
#include "protocol/asn1/notation/ValueNotation.h"
#include "protocol/asn1/value/Values.h"
