#pragma once
// Everything a user of ASN.1 values needs: the value classes, the typed
// templates, the visitors and the coding entry points. Generated message
// types include this header.
#include "protocol/asn1/AbstractData.h"
#include "protocol/asn1/BitString.h"
#include "protocol/asn1/BmpString.h"
#include "protocol/asn1/Boolean.h"
#include "protocol/asn1/CharacterString.h"
#include "protocol/asn1/Choice.h"
#include "protocol/asn1/CoderEnv.h"
#include "protocol/asn1/ConstrainedInteger.h"
#include "protocol/asn1/Enumerated.h"
#include "protocol/asn1/Limits.h"
#include "protocol/asn1/GeneralizedTime.h"
#include "protocol/asn1/Integer.h"
#include "protocol/asn1/Null.h"
#include "protocol/asn1/ObjectIdentifier.h"
#include "protocol/asn1/OctetString.h"
#include "protocol/asn1/OpenData.h"
#include "protocol/asn1/Sequence.h"
#include "protocol/asn1/SequenceOf.h"
#include "protocol/asn1/ValueNotation.h"
#include "protocol/asn1/Visitor.h"
