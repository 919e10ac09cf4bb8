#!/usr/bin/env escript
%% -*- erlang -*-
%% The Erlang/OTP side of the PER interoperability test.
%%
%%   per_interop.escript gen DIR SEED COUNT
%%       compiles PerInterop.asn (per backend) into DIR, makes COUNT random
%%       values of each test type from SEED and writes their encodings to
%%       DIR/erlang.txt ("Type HEX" lines) and the values to DIR/erlang.terms.
%%   per_interop.escript check DIR
%%       compares DIR/cpp-decoded.terms (the other side's decodings of
%%       erlang.txt) with erlang.terms, and decodes and re-encodes every
%%       encoding of DIR/cpp.terms ({Type, Hex, Value}), comparing both.
%% Exits with 1 on the first difference, after printing it.

main(["gen", Dir, Seed, Count]) ->
    load_codec(Dir),
    S = list_to_integer(Seed),
    rand:seed(exsss, {S, S + 1, S + 2}),
    N = list_to_integer(Count),
    Values = [{T, gen(T)} || T <- types(), _ <- lists:seq(1, N)],
    Lines = [[atom_to_list(T), " ", hex(encode(T, V)), "\n"] || {T, V} <- Values],
    ok = file:write_file(filename:join(Dir, "erlang.txt"), Lines),
    ok = file:write_file(filename:join(Dir, "erlang.terms"),
                         [io_lib:format("~w.~n", [TV]) || TV <- Values]);
main(["check", Dir]) ->
    load_codec(Dir),
    {ok, Sent} = file:consult(filename:join(Dir, "erlang.terms")),
    {ok, Decoded} = file:consult(filename:join(Dir, "cpp-decoded.terms")),
    length(Sent) =:= length(Decoded) orelse fail("count of decodings", length(Sent), length(Decoded)),
    lists:foreach(fun({{T, V}, {T2, D}}) ->
                          T =:= T2 orelse fail("type", T, T2),
                          Expected = as_seen_by_cpp(T, V),
                          Expected =:= D orelse fail(T, Expected, D)
                  end, lists:zip(Sent, Decoded)),
    {ok, Encoded} = file:consult(filename:join(Dir, "cpp.terms")),
    lists:foreach(fun({T, Hex, V}) ->
                          Bin = unhex(Hex),
                          case 'PerInterop':decode(T, Bin) of
                              {ok, V} -> ok;
                              Other -> fail({T, Hex}, V, Other)
                          end,
                          Again = hex(encode(T, V)),
                          %% Knowing more additions, this side writes a longer extension map.
                          Again =:= Hex orelse T =:= 'Later' orelse fail({re_encode, T}, Hex, Again)
                  end, Encoded),
    io:format("erlang side: ~b decodings and ~b encodings agree~n", [length(Decoded), length(Encoded)]);
main(_) ->
    io:format(standard_error, "usage: per_interop.escript gen DIR SEED COUNT | check DIR~n", []),
    halt(2).

load_codec(Dir) ->
    Asn = filename:join(filename:dirname(escript:script_name()), "PerInterop.asn"),
    ok = asn1ct:compile(Asn, [per, {outdir, Dir}]),
    true = code:add_patha(Dir),
    {module, _} = code:load_file('PerInterop').

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

encode(T, V) ->
    {ok, B} = 'PerInterop':encode(T, V),
    B.

hex(Bin) -> lists:flatten([io_lib:format("~2.16.0B", [X]) || <<X>> <= Bin]).

unhex([]) -> <<>>;
unhex([A, B | Rest]) -> <<(list_to_integer([A, B], 16)), (unhex(Rest))/binary>>.

types() -> ['Shapes', 'Pick', 'Item', 'Colour', 'Mode', 'Later'].

%% The other side's schema of Later knows only the first extension addition.
as_seen_by_cpp('Later', {'Later', A, B, _, _}) -> {'Later', A, B, asn1_NOVALUE, asn1_NOVALUE};
as_seen_by_cpp(_, V) -> V.

%% Random values -------------------------------------------------------------

pick(List) -> lists:nth(rand:uniform(length(List)), List).
range(Lo, Hi) -> Lo + rand:uniform(Hi - Lo + 1) - 1.
maybe(V) -> case rand:uniform(2) of 1 -> asn1_NOVALUE; 2 -> V end.
octets(N) -> list_to_binary([range(0, 255) || _ <- lists:seq(1, N)]).
%% Mostly short, sometimes past 127 so that two-octet lengths appear.
size() -> case rand:uniform(8) of 8 -> range(128, 400); _ -> range(0, 12) end.
chars(Alphabet) -> [pick(Alphabet) || _ <- lists:seq(1, size())].

printable() -> " '()+,-./0123456789:=?ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz".

gen('Colour') -> pick([red, green, blue, cyan, magenta]);
gen('Mode') -> pick([off, on]);
gen('Item') -> {'Item', range(0, 255), maybe(chars(lists:seq(0, 127)))};
gen('Pick') ->
    case rand:uniform(5) of
        1 -> {number, range(0, 3)};
        2 -> {text, chars(lists:seq(0, 127))};
        3 -> {item, gen('Item')};
        4 -> {late, pick([true, false])};
        5 -> {later, octets(size())}
    end;
gen('Later') ->
    {'Later', range(0, 7), maybe(pick([true, false])), maybe(chars("abc")), maybe(gen('Pick'))};
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
     maybe(chars("xyz")),
     maybe(range(0, 1023)),
     maybe(pick([true, false])),
     maybe(gen('Pick'))}.

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
