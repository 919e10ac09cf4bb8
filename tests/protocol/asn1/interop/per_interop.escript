#!/usr/bin/env escript
%% -*- erlang -*-
%% The Erlang/OTP side of the PER interoperability tests.
%%
%%   per_interop.escript gen DIR SEED COUNT [DESCRIPTION]
%%       compiles the ASN.1 module (per backend) into DIR, makes COUNT random
%%       values of each test type from SEED and writes their encodings to
%%       DIR/erlang.txt ("Type HEX" lines) and the values to DIR/erlang.terms.
%%   per_interop.escript check DIR [DESCRIPTION]
%%       compares DIR/cpp-decoded.terms (the other side's decodings of
%%       erlang.txt) with erlang.terms, and decodes and re-encodes every
%%       encoding of DIR/cpp.terms ({Type, Hex, Value}), comparing both.
%% Without DESCRIPTION the module is PerInterop.asn beside this script, with
%% the hand-written value generators below. The module is compiled for PER
%% ALIGNED, or for BER when the environment variable INTEROP_RULE is "ber". A DESCRIPTION is a file of terms
%% (written by zuzu_subset.py): {asn, File} names the module (relative to
%% the description), {top, Type} the test type, and {type, Name, Shape} the
%% shape of every type that values may hold, from which they are made (a
%% CHOICE lists its alternatives with their weights).
%% Exits with 1 on the first difference, after printing it.

-mode(compile).

-record(codec, {module, types, gen, seen_by_cpp, reencodes}).

main(["gen", Dir, Seed, Count | Description]) ->
    C = codec(Dir, Description),
    S = list_to_integer(Seed),
    rand:seed(exsss, {S, S + 1, S + 2}),
    N = list_to_integer(Count),
    Gen = C#codec.gen,
    Values = [{T, Gen(T)} || T <- C#codec.types, _ <- lists:seq(1, N)],
    Lines = [[atom_to_list(T), " ", hex(encode(C, T, V)), "\n"] || {T, V} <- Values],
    ok = file:write_file(filename:join(Dir, "erlang.txt"), Lines),
    ok = file:write_file(filename:join(Dir, "erlang.terms"),
                         [io_lib:format("~w.~n", [TV]) || TV <- Values]);
main(["check", Dir | Description]) ->
    C = codec(Dir, Description),
    {ok, Sent} = file:consult(filename:join(Dir, "erlang.terms")),
    {ok, Decoded} = file:consult(filename:join(Dir, "cpp-decoded.terms")),
    length(Sent) =:= length(Decoded) orelse fail("count of decodings", length(Sent), length(Decoded)),
    Seen = C#codec.seen_by_cpp,
    lists:foreach(fun({{T, V}, {T2, D}}) ->
                          T =:= T2 orelse fail("type", T, T2),
                          Expected = Seen(T, V),
                          Expected =:= D orelse fail(T, Expected, D)
                  end, lists:zip(Sent, Decoded)),
    {ok, Encoded} = file:consult(filename:join(Dir, "cpp.terms")),
    Mod = C#codec.module,
    Reencodes = C#codec.reencodes,
    lists:foreach(fun({T, Hex, V}) ->
                          Bin = unhex(Hex),
                          case Mod:decode(T, Bin) of
                              {ok, V} -> ok;
                              Other -> fail({T, Hex}, V, Other)
                          end,
                          Again = hex(encode(C, T, V)),
                          Again =:= Hex orelse not Reencodes(T) orelse fail({re_encode, T}, Hex, Again)
                  end, Encoded),
    io:format("erlang side: ~b decodings and ~b encodings agree~n", [length(Decoded), length(Encoded)]);
main(_) ->
    io:format(standard_error,
              "usage: per_interop.escript gen DIR SEED COUNT [DESCRIPTION] | check DIR [DESCRIPTION]~n", []),
    halt(2).

codec(Dir, []) ->
    Asn = filename:join(filename:dirname(escript:script_name()), "PerInterop.asn"),
    #codec{module = load_codec(Asn, Dir),
           types = ['Shapes', 'Pick', 'Item', 'Colour', 'Mode', 'Later'],
           gen = fun(T) -> for_rule(rule(), T, gen(T)) end,
           seen_by_cpp = fun as_seen_by_cpp/2,
           %% Knowing more additions, this side writes a longer extension map.
           reencodes = fun(T) -> T =/= 'Later' end};
codec(Dir, [Description]) ->
    {ok, Terms} = file:consult(Description),
    {asn, Asn} = lists:keyfind(asn, 1, Terms),
    {top, Top} = lists:keyfind(top, 1, Terms),
    Shapes = maps:from_list([{Name, Shape} || {type, Name, Shape} <- Terms]),
    #codec{module = load_codec(filename:join(filename:dirname(Description), Asn), Dir),
           types = [Top],
           gen = fun(T) -> described(Shapes, {ref, T}) end,
           seen_by_cpp = fun(_, V) -> V end,
           reencodes = fun(_) -> true end}.

%% Compiles the module into Dir unless an earlier run did, and loads it.
load_codec(Asn, Dir) ->
    Mod = list_to_atom(filename:basename(Asn, ".asn")),
    case filelib:is_file(filename:join(Dir, atom_to_list(Mod) ++ ".beam"))
         orelse asn1ct:compile(Asn, [rule(), {outdir, Dir}]) of
        Done when Done =:= true; Done =:= ok -> ok;
        Error -> io:format(standard_error, "cannot compile ~s: ~p~n", [Asn, Error]), halt(1)
    end,
    true = code:add_patha(Dir),
    {module, Mod} = code:load_file(Mod),
    Mod.

rule() ->
    case os:getenv("INTEROP_RULE") of
        "ber" -> ber;
        _ -> per
    end.

%% In BER the other side wraps a CHOICE that stands in a field in a primitive
%% header when the alternative it holds is primitive, where X.690 has a
%% constructed one: there the CHOICE fields of Shapes hold their SEQUENCE
%% alternative.
for_rule(ber, 'Shapes', V) ->
    Picked = setelement(29, V, {item, gen('Item')}),
    case element(33, Picked) of
        asn1_NOVALUE -> Picked;
        _ -> setelement(33, Picked, {item, gen('Item')})
    end;
for_rule(_, _, V) -> V.

fail(What, Expected, Got) ->
    {Path, E, G} = difference([], Expected, Got),
    io:format(standard_error, "MISMATCH ~p at element path ~w~n expected: ~p~n got:      ~p~n",
              [What, lists:reverse(Path), E, G]),
    halt(1).

%% The innermost differing parts of two terms and the path to them.
difference(Path, A, B) when is_tuple(A), is_tuple(B), tuple_size(A) =:= tuple_size(B) ->
    difference(Path, tuple_to_list(A), tuple_to_list(B));
difference(Path, [X | Xs], [Y | Ys]) when length(Xs) =:= length(Ys) ->
    case X =:= Y of
        true -> difference([skip | Path], Xs, Ys);
        false -> difference([length(Path) | Path], X, Y)
    end;
difference(Path, A, B) -> {Path, A, B}.

encode(#codec{module = Mod}, T, V) ->
    {ok, B} = Mod:encode(T, V),
    B.

hex(Bin) -> lists:flatten([io_lib:format("~2.16.0B", [X]) || <<X>> <= Bin]).

unhex([]) -> <<>>;
unhex([A, B | Rest]) -> <<(list_to_integer([A, B], 16)), (unhex(Rest))/binary>>.

%% The other side's schema of Later knows only the first extension addition.
as_seen_by_cpp('Later', {'Later', A, B, _, _}) -> {'Later', A, B, asn1_NOVALUE, asn1_NOVALUE};
as_seen_by_cpp(_, V) -> V.

%% Random values -------------------------------------------------------------

pick(List) -> lists:nth(rand:uniform(length(List)), List).
range(Lo, Hi) -> Lo + rand:uniform(Hi - Lo + 1) - 1.
or_absent(V) -> case rand:uniform(2) of 1 -> asn1_NOVALUE; 2 -> V end.
octets(N) -> list_to_binary([range(0, 255) || _ <- lists:seq(1, N)]).
%% Mostly short, sometimes past 127 so that two-octet lengths appear.
size() -> case rand:uniform(8) of 8 -> range(128, 400); _ -> range(0, 12) end.
chars(Alphabet) -> [pick(Alphabet) || _ <- lists:seq(1, size())].

printable() -> " '()+,-./0123456789:=?ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz".

gen('Colour') -> pick([red, green, blue, cyan, magenta]);
gen('Mode') -> pick([off, on]);
gen('Item') -> {'Item', range(0, 255), or_absent(chars(lists:seq(0, 127)))};
gen('Pick') ->
    case rand:uniform(5) of
        1 -> {number, range(0, 3)};
        2 -> {text, chars(lists:seq(0, 127))};
        3 -> {item, gen('Item')};
        4 -> {late, pick([true, false])};
        5 -> {later, octets(size())}
    end;
gen('Later') ->
    {'Later', range(0, 7), or_absent(pick([true, false])), or_absent(chars("abc")), or_absent(gen('Pick'))};
gen('Shapes') ->
    {'Shapes',
     pick([true, false]),
     range(0, 7),
     range(-128, 127),
     range(0, 65535),
     pick([0, 255, 256, 65535, 65536, 16777216, 4294967295, range(0, 4294967295)]),
     pick([112000, 112255, 112256, 399975, range(112000, 399975)]),
     pick([0, -1, 127, 128, -128, -129, 2147483647, -2147483648, range(-2147483648, 2147483647)]),
     pick([0, 15, 16, -1, range(-100000, 100000)]),
     gen('Colour'),
     gen('Mode'),
     'NULL',
     octets(size()),
     octets(2),
     octets(4),
     bits(12),
     bits(size()),
     chars(lists:seq(0, 127)),
     [range(32, 126) || _ <- lists:seq(1, range(1, 64))],
     chars(" 0123456789"),
     chars(printable()),
     chars(lists:seq(32, 126)),
     [bmp(C) || C <- chars(lists:seq(0, 65535))],
     oid(),
     gentime(),
     [range(-70000, 70000) || _ <- lists:seq(1, range(0, 5))],
     [gen('Colour') || _ <- lists:seq(1, 3)],
     [gen('Item') || _ <- lists:seq(1, range(0, 4))],
     gen('Pick'),
     or_absent(chars("xyz")),
     or_absent(range(0, 1023)),
     or_absent(pick([true, false])),
     or_absent(gen('Pick'))}.

%% Erlang's form of a BMPString character: the code below 256, else a quadruple.
bmp(C) when C < 256 -> C;
bmp(C) -> {0, 0, C bsr 8, C band 255}.

bits(0) -> <<>>;
bits(N) -> <<(range(0, (1 bsl N) - 1)):N>>.

oid() ->
    First = range(0, 2),
    Second = case First of 2 -> range(0, 200); _ -> range(0, 39) end,
    list_to_tuple([First, Second | [pick([range(0, 127), range(128, 16383), range(0, 268435455)])
                                    || _ <- lists:seq(1, range(0, 8))]]).

%% The text form that a GeneralizedTime value of the other side prints back.
gentime() ->
    Base = io_lib:format("~4..0B~2..0B~2..0B~2..0B~2..0B~2..0B",
                         [range(1970, 2099), range(1, 12), range(1, 28),
                          range(0, 23), range(0, 59), range(0, 59)]),
    Fraction = case rand:uniform(2) of 1 -> ""; 2 -> io_lib:format(".~3..0B", [range(1, 999)]) end,
    lists:flatten([Base, Fraction, "Z"]).

%% Values of a described type --------------------------------------------

described(_, null) -> 'NULL';
described(_, boolean) -> pick([true, false]);
described(_, integer) ->
    pick([0, -1, 127, 128, -128, -129, 65536, 2147483647, -2147483648,
          range(-1000, 1000), range(-2147483648, 2147483647)]);
described(_, {integer, Lo, Hi}) -> pick([Lo, Hi, range(Lo, Hi)]);
described(_, octets) -> octets(size());
described(_, {octets, Lo, Hi}) -> octets(range(Lo, min(Hi, Lo + 400)));
described(_, ia5) -> chars(lists:seq(0, 127));
described(_, {ia5, Lo, Hi}) -> [range(0, 127) || _ <- lists:seq(1, range(Lo, min(Hi, Lo + 400)))];
described(_, oid) -> oid();
described(Shapes, {list, Element}) -> described(Shapes, {list, 0, 3, Element});
described(Shapes, {list, Lo, Hi, Element}) ->
    [described(Shapes, Element) || _ <- lists:seq(1, range(Lo, min(Hi, Lo + 3)))];
described(Shapes, {ref, Name}) ->
    case maps:get(Name, Shapes) of
        {sequence, Fields} -> list_to_tuple([Name | [field(Shapes, F) || F <- Fields]]);
        {choice, Alternatives} ->
            {A, Shape} = weighted(Alternatives, rand:uniform(lists:sum([W || {_, W, _} <- Alternatives]))),
            {A, described(Shapes, Shape)};
        {enumerated, Items} -> pick(Items);
        {alias, Shape} -> described(Shapes, Shape)
    end.

%% The alternative in whose share of the weights R (1..sum) lies.
weighted([{A, W, Shape} | _], R) when R =< W -> {A, Shape};
weighted([{_, W, _} | Rest], R) -> weighted(Rest, R - W).

field(Shapes, {mandatory, Shape}) -> described(Shapes, Shape);
field(Shapes, {optional, Shape}) ->
    case rand:uniform(2) of 1 -> asn1_NOVALUE; 2 -> described(Shapes, Shape) end;
field(_, {absent, _}) -> asn1_NOVALUE.
