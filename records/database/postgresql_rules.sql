-- What PostgreSQL keeps for itself: records are never changed or removed, each
-- journal's chain is checked as its lines arrive, and benches may only insert
-- and read. Applied by "db init" after the tables are made; safe to run again.

-- A record arrives: its id must be the SHA-256 of its text without the id, and
-- its prev the last id held from its journal. A record held already is skipped,
-- so that a line sent twice is stored once. The columns are taken from the line.
CREATE OR REPLACE FUNCTION probe_records_arrive() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = public, pg_temp AS $$
DECLARE
    fields jsonb;
    head probe_journals%ROWTYPE;
BEGIN
    IF left(NEW.line, 73) IS DISTINCT FROM '{"id":"' || NEW.id || '",'
       OR encode(sha256(convert_to('{' || substr(NEW.line, 74), 'UTF8')), 'hex') <> NEW.id THEN
        RAISE EXCEPTION 'record % refused: its id is not the SHA-256 of its text', NEW.id
            USING ERRCODE = 'check_violation';
    END IF;
    fields := NEW.line::jsonb;
    NEW.journal := fields->>'journal';
    NEW.prev := fields->>'prev';
    NEW.bench := coalesce(fields->>'host', '');
    NEW.time_utc := coalesce(fields->>'time', '');
    NEW.serial := coalesce(fields->>'serial', '');
    NEW.command := coalesce(fields->>'command', '');
    NEW.lot := CASE WHEN jsonb_typeof(fields->'production') = 'object'
                    THEN fields->'production'->>'lot' END;
    IF NEW.journal IS NULL OR NEW.journal !~ '^[0-9a-f]{32}$' THEN
        RAISE EXCEPTION 'record % refused: it names no journal', NEW.id
            USING ERRCODE = 'check_violation';
    END IF;

    INSERT INTO probe_journals (journal, last_id) VALUES (NEW.journal, NULL)
        ON CONFLICT (journal) DO NOTHING;
    SELECT * INTO head FROM probe_journals WHERE journal = NEW.journal FOR UPDATE;
    IF EXISTS (SELECT 1 FROM probe_records WHERE id = NEW.id) THEN
        RETURN NULL;
    END IF;
    IF NEW.prev IS DISTINCT FROM head.last_id THEN
        RAISE EXCEPTION 'record % refused: its prev % is not the last record held from journal % (%)',
            NEW.id, coalesce(NEW.prev, 'null'), NEW.journal, coalesce(head.last_id, 'none')
            USING ERRCODE = 'check_violation';
    END IF;
    UPDATE probe_journals SET last_id = NEW.id WHERE journal = NEW.journal;
    RETURN NEW;
END
$$;

CREATE OR REPLACE FUNCTION probe_records_keep() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'records are kept as they came: % refused', TG_OP
        USING ERRCODE = 'insufficient_privilege';
END
$$;

DROP TRIGGER IF EXISTS probe_records_arrive ON probe_records;
CREATE TRIGGER probe_records_arrive BEFORE INSERT ON probe_records
    FOR EACH ROW EXECUTE FUNCTION probe_records_arrive();

DROP TRIGGER IF EXISTS probe_records_keep ON probe_records;
CREATE TRIGGER probe_records_keep BEFORE UPDATE OR DELETE ON probe_records
    FOR EACH ROW EXECUTE FUNCTION probe_records_keep();

DROP TRIGGER IF EXISTS probe_records_keep_all ON probe_records;
CREATE TRIGGER probe_records_keep_all BEFORE TRUNCATE ON probe_records
    FOR EACH STATEMENT EXECUTE FUNCTION probe_records_keep();

-- A lot is made once and never changed, but for the next serial it hands out,
-- which only moves up; a serial is handed out below it, taken, and given one
-- result, programmed or spoiled, which nothing rewrites. Nothing is removed.
CREATE OR REPLACE FUNCTION probe_lots_keep() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP = 'UPDATE' AND NEW.name = OLD.name AND NEW.first_serial = OLD.first_serial
       AND NEW.last_serial = OLD.last_serial AND NEW.template_sha256 = OLD.template_sha256
       AND NEW.created = OLD.created AND NEW.next_serial >= OLD.next_serial THEN
        RETURN NEW;
    END IF;
    RAISE EXCEPTION 'lots are kept as they were made: % of lot % refused', TG_OP,
        coalesce(OLD.name, '')
        USING ERRCODE = 'insufficient_privilege';
END
$$;

CREATE OR REPLACE FUNCTION probe_lots_made() RETURNS trigger
LANGUAGE plpgsql AS $$
BEGIN
    IF NEW.next_serial <> NEW.first_serial THEN
        RAISE EXCEPTION 'lot % refused: a new lot has handed out no serial', NEW.name
            USING ERRCODE = 'check_violation';
    END IF;
    RETURN NEW;
END
$$;

CREATE OR REPLACE FUNCTION probe_lot_serials_keep() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
    kept probe_lots%ROWTYPE;
BEGIN
    IF TG_OP = 'INSERT' THEN
        SELECT * INTO kept FROM probe_lots WHERE name = NEW.lot;
        IF NEW.state <> 'taken' OR NEW.serial < kept.first_serial
           OR NEW.serial >= kept.next_serial THEN
            RAISE EXCEPTION 'serial % of lot % refused: a serial is taken as the lot hands it out',
                NEW.serial, NEW.lot
                USING ERRCODE = 'check_violation';
        END IF;
        RETURN NEW;
    END IF;
    IF TG_OP = 'UPDATE' AND OLD.state = 'taken' AND NEW.state IN ('programmed', 'spoiled')
       AND NEW.lot = OLD.lot AND NEW.serial = OLD.serial AND NEW.bench = OLD.bench
       AND NEW.target = OLD.target THEN
        RETURN NEW;
    END IF;
    RAISE EXCEPTION 'a serial''s result is given once and kept: % of serial % of lot % refused',
        TG_OP, OLD.serial, OLD.lot
        USING ERRCODE = 'insufficient_privilege';
END
$$;

DROP TRIGGER IF EXISTS probe_lots_keep ON probe_lots;
CREATE TRIGGER probe_lots_keep BEFORE UPDATE OR DELETE ON probe_lots
    FOR EACH ROW EXECUTE FUNCTION probe_lots_keep();

DROP TRIGGER IF EXISTS probe_lots_made ON probe_lots;
CREATE TRIGGER probe_lots_made BEFORE INSERT ON probe_lots
    FOR EACH ROW EXECUTE FUNCTION probe_lots_made();

DROP TRIGGER IF EXISTS probe_lots_keep_all ON probe_lots;
CREATE TRIGGER probe_lots_keep_all BEFORE TRUNCATE ON probe_lots
    FOR EACH STATEMENT EXECUTE FUNCTION probe_lots_keep();

DROP TRIGGER IF EXISTS probe_lot_serials_keep ON probe_lot_serials;
CREATE TRIGGER probe_lot_serials_keep BEFORE INSERT OR UPDATE OR DELETE ON probe_lot_serials
    FOR EACH ROW EXECUTE FUNCTION probe_lot_serials_keep();

DROP TRIGGER IF EXISTS probe_lot_serials_keep_all ON probe_lot_serials;
CREATE TRIGGER probe_lot_serials_keep_all BEFORE TRUNCATE ON probe_lot_serials
    FOR EACH STATEMENT EXECUTE FUNCTION probe_lot_serials_keep();

-- Benches log in as members of probe_bench: they insert and read records and
-- take numbers, make lots, take their serials and give each its result, nothing
-- else.
DO $$
BEGIN
    IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'probe_bench') THEN
        CREATE ROLE probe_bench NOLOGIN;
    END IF;
END
$$;

REVOKE ALL ON probe_records, probe_journals, probe_schema, probe_counters, probe_lots,
    probe_lot_serials FROM PUBLIC;
REVOKE ALL ON probe_records, probe_journals, probe_schema, probe_counters, probe_lots,
    probe_lot_serials FROM probe_bench;
GRANT SELECT, INSERT ON probe_records TO probe_bench;
GRANT SELECT ON probe_journals, probe_schema TO probe_bench;
GRANT SELECT, INSERT, UPDATE ON probe_counters TO probe_bench;
GRANT SELECT, INSERT, UPDATE ON probe_lots, probe_lot_serials TO probe_bench;
