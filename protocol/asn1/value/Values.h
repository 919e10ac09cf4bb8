#pragma once
// Every value class, the typed templates and the visitors: what the coders,
// the value notation and the constraint checks work on. Users of the whole
// runtime include ASN1.h instead.
#include "protocol/asn1/value/AbstractData.h"
#include "protocol/asn1/value/BitString.h"
#include "protocol/asn1/value/BmpString.h"
#include "protocol/asn1/value/Boolean.h"
#include "protocol/asn1/value/CharacterString.h"
#include "protocol/asn1/value/Choice.h"
#include "protocol/asn1/value/ConstrainedInteger.h"
#include "protocol/asn1/value/Enumerated.h"
#include "protocol/asn1/value/GeneralizedTime.h"
#include "protocol/asn1/value/Integer.h"
#include "protocol/asn1/value/Limits.h"
#include "protocol/asn1/value/Null.h"
#include "protocol/asn1/value/ObjectIdentifier.h"
#include "protocol/asn1/value/OctetString.h"
#include "protocol/asn1/value/OpenData.h"
#include "protocol/asn1/value/Sequence.h"
#include "protocol/asn1/value/SequenceOf.h"
#include "protocol/asn1/value/Visitor.h"
