#!/usr/bin/env escript
%% -*- erlang -*-
%% The Erlang/OTP side of the PER comparison benchmark.
%%
%%   zuzu_per.escript ASN MESSAGES WORKDIR [RUNS [SECONDS]]
%%
%% Compiles the ASN.1 module ASN (the Erlang side's view of the control-link
%% messages that zuzu_subset.py writes) with the per backend into WORKDIR,
%% reads MESSAGES (one line of hexadecimal PER ALIGNED octets per message),
%% checks that every message decodes and encodes back to its octets, then
%% times RUNS (default 5) runs of at least SECONDS (default 1) each of
%% decoding every message and of encoding every decoded value, and prints
%% the median per message:
%%   decode_ns_per_msg N
%%   encode_ns_per_msg N

-mode(compile).

main([Asn, Messages, Dir | Rest]) ->
    {Runs, Seconds} = case Rest of
                          [] -> {5, 1.0};
                          [R] -> {list_to_integer(R), 1.0};
                          [R, S] -> {list_to_integer(R), float(list_to_integer(S))}
                      end,
    Mod = load_codec(Asn, Dir),
    Type = 'ZUZU-Message',
    {ok, Text} = file:read_file(Messages),
    Frames = [binary:decode_hex(L) || L <- binary:split(Text, <<"\n">>, [global, trim_all])],
    Values = [begin {ok, V} = Mod:decode(Type, F), V end || F <- Frames],
    lists:foreach(fun({F, V}) ->
                          case Mod:encode(Type, V) of
                              {ok, F} -> ok;
                              Other -> io:format(standard_error, "~p does not encode back: ~p~n", [F, Other]),
                                       halt(1)
                          end
                  end, lists:zip(Frames, Values)),
    N = length(Frames),
    Decode = fun() -> lists:foreach(fun(F) -> {ok, _} = Mod:decode(Type, F) end, Frames) end,
    Encode = fun() -> lists:foreach(fun(V) -> {ok, _} = Mod:encode(Type, V) end, Values) end,
    io:format("messages ~b~n", [N]),
    io:format("decode_ns_per_msg ~.1f~n", [median([per_message(Decode, N, Seconds) || _ <- lists:seq(1, Runs)])]),
    io:format("encode_ns_per_msg ~.1f~n", [median([per_message(Encode, N, Seconds) || _ <- lists:seq(1, Runs)])]);
main(_) ->
    io:format(standard_error, "usage: zuzu_per.escript ASN MESSAGES WORKDIR [RUNS [SECONDS]]~n", []),
    halt(2).

load_codec(Asn, Dir) ->
    Mod = list_to_atom(filename:basename(Asn, ".asn")),
    ok = filelib:ensure_dir(filename:join(Dir, "x")),
    case asn1ct:compile(Asn, [per, {outdir, Dir}]) of
        ok -> ok;
        Error -> io:format(standard_error, "cannot compile ~s: ~p~n", [Asn, Error]), halt(1)
    end,
    true = code:add_patha(Dir),
    {module, Mod} = code:load_file(Mod),
    Mod.

%% Nanoseconds per message of one run: passes over all messages until the
%% run has lasted at least Seconds.
per_message(Pass, N, Seconds) ->
    Pass(), % warm-up
    Start = erlang:monotonic_time(nanosecond),
    Passes = passes(Pass, Start, Start + round(Seconds * 1.0e9), 0),
    (erlang:monotonic_time(nanosecond) - Start) / (Passes * N).

passes(Pass, Start, Until, Done) ->
    Pass(),
    case erlang:monotonic_time(nanosecond) of
        Now when Now >= Until -> Done + 1;
        _ -> passes(Pass, Start, Until, Done + 1)
    end.

median(List) ->
    Sorted = lists:sort(List),
    lists:nth((length(Sorted) + 1) div 2, Sorted).
