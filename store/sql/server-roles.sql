-- Rights of the station role on the ledger, run by scripts/server-setup in the
-- ledger database after server-schema.sql. psql variable: station.
--
-- Stations read and add rows. Recharge, refund and reader top-up rows are
-- never changed or removed; user rows are rewritten by a re-issue and by a
-- binding (never their id); administrator accounts are added, changed and
-- deleted by the admin operator. Audit rows are only added: no station can
-- change or remove one. Only the owner can alter or drop a table.

revoke all on schema public from public;
grant usage on schema public to :"station";

revoke all on man, "user", record, backcard, devch, audit from public;
grant select, insert on man, "user", record, backcard, devch, audit to :"station";
grant update (name, pwd, date, note), delete on man to :"station";
grant update (cardnum, name, addr, phone, carnum, date, manager, sn, note, bindchid, bindport)
    on "user" to :"station";

-- veloka_fill_id draws from the sequences with the inserting role's rights.
grant usage on sequence man_id_seq, user_id_seq, record_id_seq, backcard_id_seq, devch_id_seq,
    audit_id_seq to :"station";
